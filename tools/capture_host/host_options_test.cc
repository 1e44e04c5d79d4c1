#include "tools/capture_host/host_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Parsed {
  bool ok;
  HostOptions options;
  std::string error;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "velmora-capture-host");
  Parsed parsed;
  parsed.ok = ParseHostOptions(static_cast<int>(args.size()), args.data(), "/usr/bin/velmora-capture",
                               &parsed.options, &parsed.error);
  return parsed;
}

TEST(ParseHostOptions, Defaults) {
  Parsed parsed = Parse({});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_TRUE(parsed.options.fingers.empty());
  EXPECT_EQ(parsed.options.program, "/usr/bin/velmora-capture");
  EXPECT_EQ(parsed.options.timeoutSeconds, 120);
  EXPECT_FALSE(parsed.options.json);
  EXPECT_FALSE(parsed.options.help);
}

TEST(ParseHostOptions, AllOptionsInBothForms) {
  Parsed parsed = Parse({"--fingers", "7,2,1", "--program=/tmp/x", "--timeout", "5", "--json"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.options.fingers, (std::vector<FingerNumber>{7, 2, 1}));
  EXPECT_EQ(parsed.options.program, "/tmp/x");
  EXPECT_EQ(parsed.options.timeoutSeconds, 5);
  EXPECT_TRUE(parsed.options.json);

  Parsed later = Parse({"--fingers=10", "--fingers", "3,3"});
  ASSERT_TRUE(later.ok) << later.error;
  EXPECT_EQ(later.options.fingers, (std::vector<FingerNumber>{3, 3})) << "the last list wins as given";
}

TEST(ParseHostOptions, EmptyListEnrollsNothing) {
  Parsed parsed = Parse({"--fingers", ""});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_TRUE(parsed.options.fingers.empty());
}

TEST(ParseHostOptions, FingerListsOutsideTheRecordAreRefused) {
  for (const char* list : {"0", "11", "7,,2", "7,", ",7", "-1", "7 ", "x", "1,2,3,4,5,6,7,8,9,10,1"}) {
    Parsed parsed = Parse({"--fingers", list});
    EXPECT_FALSE(parsed.ok) << list;
    EXPECT_NE(parsed.error.find("--fingers"), std::string::npos) << parsed.error;
  }
  EXPECT_TRUE(Parse({"--fingers", "1,2,3,4,5,6,7,8,9,10"}).ok);
}

TEST(ParseHostOptions, BadTimeoutsAndArgumentsAreRefused) {
  for (const char* timeout : {"0", "-3", "1.5", "", "86401", "99999999999"})
    EXPECT_FALSE(Parse({"--timeout", timeout}).ok) << timeout;
  EXPECT_TRUE(Parse({"--timeout", "86400"}).ok);
  EXPECT_FALSE(Parse({"--timeout"}).ok) << "missing value";
  EXPECT_FALSE(Parse({"--program="}).ok);
  EXPECT_FALSE(Parse({"--jsonx"}).ok);
  EXPECT_FALSE(Parse({"extra"}).ok);
}

}  // namespace
