#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "config/config_store.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_handle.h"

using namespace velmora::test;  // the shared test support

namespace velmora::config {
namespace {

using namespace std::string_literals;

class ConfigLookupTest : public testing::Test {
 protected:
  Handle OpenText(const std::string& text) { return Open(m_Dir.Write("store", text)); }
  ScopedTempDir m_Dir;
};

TEST_F(ConfigLookupTest, KeyLineNeedsColonAndOneBlankAtFirstColumn) {
  Handle h = OpenText(
      "Name:nospace\n Lead: x\nTrail : x\n#Hash: x\nTwo:  spaced\nEmpty: \n"
      "Real: v: with # and colons  \n");
  ASSERT_TRUE(h);
  EXPECT_EQ(Find(h.get(), "Name"), std::nullopt);
  EXPECT_EQ(Find(h.get(), "Lead"), std::nullopt);
  EXPECT_EQ(Find(h.get(), "Trail"), std::nullopt);
  EXPECT_EQ(Find(h.get(), "#Hash"), std::nullopt);
  EXPECT_EQ(Find(h.get(), "Hash"), std::nullopt);
  EXPECT_EQ(Find(h.get(), "Two"), " spaced");
  EXPECT_EQ(Find(h.get(), "Real"), "v: with # and colons  ");
  char value[8] = "keep";
  int length = sizeof(value);
  EXPECT_EQ(ConfigGetValue(h.get(), "Empty", value, &length), 0);
  EXPECT_EQ(length, 0);
  EXPECT_STREQ(value, "");
}

TEST_F(ConfigLookupTest, KeyMustBeFollowedByTheColon) {
  Handle h = OpenText("Name: lib.so\n");
  EXPECT_EQ(Find(h.get(), "Nam"), std::nullopt);
  EXPECT_EQ(Find(h.get(), "Name"), "lib.so");
}

TEST_F(ConfigLookupTest, CarriageReturnBeforeNewlineIsDropped) {
  Handle h = OpenText("Type: 5\r\nName: a b\r\n");
  int32_t type = 0;
  EXPECT_EQ(ConfigGetInt(h.get(), "Type", &type), 0);
  EXPECT_EQ(type, 5);
  EXPECT_EQ(Find(h.get(), "Name"), "a b");
}

TEST_F(ConfigLookupTest, LongLineIsReadInPiecesOf1023Bytes) {
  std::string head = "Long: " + std::string(1017, 'a');
  Handle h = OpenText(head + "Inject: yes\n");
  char value[2048];
  int length = sizeof(value);
  ASSERT_EQ(ConfigGetValue(h.get(), "Long", value, &length), 0);
  EXPECT_EQ(length, 1017);
  // The rest of the line is a piece of its own, and so a key line.
  EXPECT_EQ(Find(h.get(), "Inject"), "yes");
}

TEST_F(ConfigLookupTest, ReadPositionAndWrap) {
  Handle h = OpenText("K: one\nOther: x\nK: two\n");
  EXPECT_EQ(Find(h.get(), "K", ConfigGetFirstValue), "one");
  EXPECT_EQ(Find(h.get(), "K"), "two");
  EXPECT_EQ(Find(h.get(), "K"), "one");
  EXPECT_EQ(Find(h.get(), "K"), "two");
  EXPECT_EQ(Find(h.get(), "K", ConfigGetNextValue), std::nullopt);
  EXPECT_EQ(Find(h.get(), "K", ConfigGetFirstValue), "one");
  EXPECT_EQ(Find(h.get(), "Other", ConfigGetNextValue), "x");
  EXPECT_EQ(Find(h.get(), "K", ConfigGetNextValue), "two");
}

TEST_F(ConfigLookupTest, EarlierKeyIsFoundOnlyWithWrap) {
  Handle h = OpenText("A: 1\nB: 2\n");
  EXPECT_EQ(Find(h.get(), "B"), "2");
  EXPECT_EQ(Find(h.get(), "A", ConfigGetNextValue), std::nullopt);
  EXPECT_EQ(Find(h.get(), "A"), "1");
}

TEST_F(ConfigLookupTest, IntegerConversion) {
  Handle h = OpenText("Minus: -1\nHex: 0x10\nTwelve: 999999999999\nHundred: " + std::string(100, '9') +
                      "\nLow: -99999999999\nMixed:   +42abc\nWord: abc\nCut: 000000000000042\n");
  auto get = [&](const char* key) {
    int32_t value = 77;
    EXPECT_EQ(ConfigGetInt(h.get(), key, &value), 0) << key;
    return value;
  };
  EXPECT_EQ(get("Minus"), -1);
  EXPECT_EQ(get("Hex"), 0);
  EXPECT_EQ(get("Twelve"), INT32_MAX);
  EXPECT_EQ(get("Hundred"), INT32_MAX);
  EXPECT_EQ(get("Low"), INT32_MIN);
  EXPECT_EQ(get("Mixed"), 42);
  EXPECT_EQ(get("Word"), 0);
  // Only the first 14 characters count: thirteen zeros and the 4.
  EXPECT_EQ(get("Cut"), 4);
  int32_t untouched = 77;
  EXPECT_EQ(ConfigGetInt(h.get(), "Missing", &untouched), -1);
  EXPECT_EQ(untouched, 77);
}

TEST_F(ConfigLookupTest, ValueIsCutToCapacityAndReportsFullLength) {
  Handle h = OpenText("V: abcd\n");
  char value[8];
  int length = 5;
  ASSERT_EQ(ConfigGetValue(h.get(), "V", value, &length), 0);
  EXPECT_STREQ(value, "abcd");
  EXPECT_EQ(length, 4);
  length = 4;
  ASSERT_EQ(ConfigGetValue(h.get(), "V", value, &length), 0);
  EXPECT_STREQ(value, "abc");
  EXPECT_EQ(length, 4);
  strcpy(value, "old");
  length = 8;
  EXPECT_EQ(ConfigGetValue(h.get(), "W", value, &length), -1);
  EXPECT_STREQ(value, "old");
  EXPECT_EQ(length, 8);
}

TEST_F(ConfigLookupTest, NulByteEndsTheLineText) {
  Handle h = OpenText("Name: ab\0cd\nType: 1\n"s);
  char value[16];
  int length = sizeof(value);
  ASSERT_EQ(ConfigGetValue(h.get(), "Name", value, &length), 0);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(Find(h.get(), "Type"), "1");
}

TEST_F(ConfigLookupTest, EmptyFileHasNothing) {
  Handle h = OpenText("");
  ASSERT_TRUE(h);
  int32_t number = 0;
  EXPECT_EQ(Find(h.get(), "A"), std::nullopt);
  EXPECT_EQ(Find(h.get(), "A", ConfigGetFirstValue), std::nullopt);
  EXPECT_EQ(Find(h.get(), "A", ConfigGetNextValue), std::nullopt);
  EXPECT_EQ(ConfigGetInt(h.get(), "A", &number), -1);
  ConfigItem item = {"before", 0};
  EXPECT_EQ(ConfigFirstKey(h.get(), &item), -1);
  EXPECT_EQ(item.kind, 2);
  EXPECT_STREQ(item.name, "before");
}

TEST_F(ConfigLookupTest, KeyEnumerationTakesEveryLineWithAColon) {
  std::string longKey(300, 'k');
  Handle h = OpenText("Name:x\n#C: y\nno colon\n spaced key : v\n:empty\n" + longKey + ": v\nLast: 1\n");
  ConfigItem item = {};
  ASSERT_EQ(ConfigFirstKey(h.get(), &item), 0);
  EXPECT_STREQ(item.name, "Name");
  EXPECT_EQ(item.kind, 2);
  ASSERT_EQ(ConfigNextKey(h.get(), &item), 0);
  EXPECT_STREQ(item.name, " spaced key ");
  ASSERT_EQ(ConfigNextKey(h.get(), &item), 0);
  EXPECT_STREQ(item.name, "");
  ASSERT_EQ(ConfigNextKey(h.get(), &item), 0);
  EXPECT_EQ(std::string(item.name), longKey.substr(0, 255));
  ASSERT_EQ(ConfigNextKey(h.get(), &item), 0);
  EXPECT_STREQ(item.name, "Last");
  item.kind = 0;
  EXPECT_EQ(ConfigNextKey(h.get(), &item), -1);
  EXPECT_STREQ(item.name, "Last");
  EXPECT_EQ(item.kind, 2);
}

TEST_F(ConfigLookupTest, KeyEnumerationSharesTheReadPosition) {
  Handle h = OpenText("A: 1\nB: 2\nC: 3\n");
  ConfigItem item = {};
  ASSERT_EQ(ConfigFirstKey(h.get(), &item), 0);
  EXPECT_EQ(Find(h.get(), "B"), "2");
  ASSERT_EQ(ConfigNextKey(h.get(), &item), 0);
  EXPECT_STREQ(item.name, "C");
}

TEST(ConfigLookupNoHandle, EveryOperationRefuses) {
  char value[8];
  int length = sizeof(value);
  int32_t number;
  ConfigItem item;
  EXPECT_EQ(ConfigGetValue(nullptr, "A", value, &length), -1);
  EXPECT_EQ(ConfigGetFirstValue(nullptr, "A", value, &length), -1);
  EXPECT_EQ(ConfigGetInt(nullptr, "A", &number), -1);
  EXPECT_EQ(ConfigFirstEntry(nullptr, value, &length), -1);
  EXPECT_EQ(ConfigFirstKey(nullptr, &item), -1);
  EXPECT_EQ(ConfigSetValue(nullptr, "A", "1", 1), -1);
  EXPECT_EQ(ConfigClose(nullptr), -1);
}

}  // namespace
}  // namespace velmora::config
