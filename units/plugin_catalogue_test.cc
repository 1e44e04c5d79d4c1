#include "units/plugin_catalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/support/catalogue_root.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace {

std::map<std::string, PluginEntry> ByName(const PluginEntryList& list) {
  std::map<std::string, PluginEntry> byName;
  for (const PluginEntry& entry : list) byName[entry.entryName] = entry;
  return byName;
}

TEST(PluginCatalogueTest, UnusableRootGivesAnEmptyList) {
  ScopedTempDir dir;
  PluginEntryList list{{"stale", "x", 1}};
  PluginCatalogueAt((dir.path() + "/missing").c_str(), list);
  EXPECT_TRUE(list.empty());
  // A directory without its own "conf" is no store, whatever it holds.
  WriteEntry(dir.path(), "sim", "/lib/x.so", 1);
  PluginCatalogueAt(dir.path().c_str(), list);
  EXPECT_TRUE(list.empty());
  // A plain file has no entries.
  PluginCatalogueAt((dir.path() + "/sim").c_str(), list);
  EXPECT_TRUE(list.empty());
}

TEST(PluginCatalogueTest, ReadsFileAndDirectoryEntries) {
  ScopedTempDir dir;
  std::string root = MakeRoot(dir.path());
  WriteFile(root + "/plain", "# a reader\nName: /lib/plain.so  \nType: 1\n");
  std::filesystem::create_directory(root + "/dir");
  WriteFile(root + "/dir/conf", "Type: 3\nOther: x\nName: /lib/dir.so\n");
  std::filesystem::create_directory(root + "/noconf");
  WriteFile(root + "/twotypes", "Type: 1\nName: /lib/t.so\nType: 2\n");
  WriteFile(root + "/.hidden", "Name: /lib/h.so\nType: 0\n");
  PluginEntryList list;
  PluginCatalogueAt(root.c_str(), list);
  auto byName = ByName(list);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(byName["plain"].libraryPath, "/lib/plain.so  ");  // trailing blanks are kept
  EXPECT_EQ(byName["plain"].typeFlags, 1);
  EXPECT_EQ(byName["dir"].libraryPath, "/lib/dir.so");  // "Type" before "Name" is found
  EXPECT_EQ(byName["dir"].typeFlags, 3);
  EXPECT_EQ(byName["twotypes"].typeFlags, 2);  // the "Type" line after "Name" wins
  EXPECT_EQ(byName["twotypes"].libraryPath, "/lib/t.so");
  EXPECT_EQ(byName[".hidden"].typeFlags, 0);  // listed; the type filter is the discovery's
}

TEST(PluginCatalogueTest, SkipsIncompleteEntries) {
  ScopedTempDir dir;
  std::string root = MakeRoot(dir.path());
  WriteFile(root + "/nameonly", "Name: /lib/a.so\n");
  WriteFile(root + "/typeonly", "Type: 1\n");
  WriteFile(root + "/noblank", "Name:/lib/a.so\nType: 1\n");
  WriteFile(root + "/good", "Name: /lib/g.so\nType: x\n");
  PluginEntryList list;
  PluginCatalogueAt(root.c_str(), list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].entryName, "good");
  EXPECT_EQ(list[0].typeFlags, 0);  // no number reads as 0
}

TEST(PluginCatalogueTest, ALongNameIsCutTo255Characters) {
  ScopedTempDir dir;
  std::string root = MakeRoot(dir.path());
  std::string name = "/" + std::string(299, 'n');
  WriteEntry(root, "long", name, 1);
  PluginEntryList list;
  PluginCatalogueAt(root.c_str(), list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].libraryPath, name.substr(0, 255));
  EXPECT_EQ(list[0].typeFlags, 1);
}

TEST(PluginCatalogueTest, ScanningTwiceGivesTheSameList) {
  ScopedTempDir dir;
  std::string root = MakeRoot(dir.path());
  WriteEntry(root, "one", "/lib/same.so", 1);
  WriteEntry(root, "two", "/lib/same.so", 1);
  PluginEntryList list;
  PluginCatalogueAt(root.c_str(), list);
  PluginCatalogueAt(root.c_str(), list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].libraryPath, list[1].libraryPath);
}

}  // namespace
