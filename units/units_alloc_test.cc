// Every failed allocation of the catalogue scan and of the unit discovery, over real entries and
// real plug-in libraries: the scan and the discovery either leave with std::bad_alloc, having
// released what they held, or give what they found without the entries or plug-ins that the
// shortage made unusable (skipped as any unusable entry is). Either way every library is
// unloaded with the last unit, every id list and text a plug-in handed out is handed back, and no
// block stays allocated (the allocator's own record, or LeakSanitizer in sanitized builds).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "process/open_descriptors.h"
#include "tests/fault/fault_alloc.h"
#include "tests/fault/fault_loop.h"
#include "tests/support/catalogue_root.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/traced_root.h"
#include "units/bio_unit_impl.h"
#include "units/plugin_catalogue.h"
#include "units/unit_list.h"

using namespace velmora::test;  // the shared test support

namespace {

using velmora::fault::AllocationFault;
using velmora::fault::FaultMode;
namespace fault = velmora::fault;

std::string Describe(const PluginEntry& entry) {
  return entry.entryName + " " + entry.libraryPath + " " + std::to_string(entry.typeFlags);
}

std::vector<std::string> Describe(const PluginEntryList& list) {
  std::vector<std::string> lines;
  for (const PluginEntry& entry : list) lines.push_back(Describe(entry));
  return lines;
}

// Whether `part` is `whole` with some elements left out, the rest in order.
bool IsSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  auto next = whole.begin();
  for (const std::string& line : part) {
    next = std::find(next, whole.end(), line);
    if (next == whole.end()) return false;
    ++next;
  }
  return true;
}

// What a unit holds, as one comparable line; with `withTexts` false the texts are left out.
std::string Describe(const BioUnit& unit, bool withTexts = true) {
  std::string line = std::to_string(dynamic_cast<const BioUnitImpl&>(unit).UnitId());
  // Appended piece by piece: g++ 12 at -O3 takes `" " + std::to_string(value)` for an overlapping
  // copy (-Wrestrict) and the release build would stop.
  for (int32_t value : {unit.GetValue1(), unit.GetValue2(), unit.GetValue3(), unit.GetValue4()}) {
    line += ' ';
    line += std::to_string(value);
  }
  if (withTexts) line += " [" + unit.GetText1() + "] [" + unit.GetText2() + "]";
  return line;
}

class UnitsFaultTest : public testing::TestWithParam<FaultMode>, protected TracedRoot {
 protected:
  UnitsFaultTest() : TracedRoot("7,2") {}
  void TearDown() override { fault::ExpectNoLeak(); }

  // How often `call` stands in the test plug-in `name`'s trace lines (as a prefix of the call).
  int Count(const std::string& name, const std::string& call) {
    int count = 0;
    for (const std::string& line : ReadLines(m_TpTrace)) count += line.rfind(name + " " + call, 0) == 0;
    return count;
  }
};

TEST_P(UnitsFaultTest, CatalogueLeavesWithBadAllocOrListsWhatItCouldOpen) {
  WriteEntry(m_Root, "plain", "/lib/plain.so", 1);
  std::filesystem::create_directory(m_Root + "/dir");
  WriteFile(m_Root + "/dir/conf", "Type: 3\nName: /lib/dir.so\n");
  WriteEntry(m_Root, "even", "/lib/even.so", 2);
  WriteFile(m_Root + "/nameless", "Type: 1\n");
  PluginEntryList full;
  PluginCatalogueAt(m_Root.c_str(), full);
  const std::vector<std::string> expected = Describe(full);
  ASSERT_EQ(expected.size(), 3u);
  size_t points = fault::ForEachFaultPoint(GetParam(), [&](size_t n) {
    PluginEntryList list;
    bool threw = false;
    long descriptors = CountOpenDescriptors();
    AllocationFault fault(n, GetParam());
    try {
      PluginCatalogueAt(m_Root.c_str(), list);
    } catch (const std::bad_alloc&) {
      threw = true;
    }
    bool struck = fault.Stop();
    std::vector<std::string> found = Describe(list);
    if (!struck) {
      EXPECT_EQ(found, expected);
    }
    EXPECT_TRUE(struck || !threw);
    EXPECT_TRUE(IsSubsequence(found, expected)) << testing::PrintToString(found);
    // One failure costs one entry at most, or the root itself.
    if (GetParam() == FaultMode::kOnce && !threw && !found.empty()) {
      EXPECT_GE(found.size() + 1, expected.size());
    }
    PluginEntryList().swap(list);
    EXPECT_EQ(CountOpenDescriptors(), descriptors);
    EXPECT_EQ(fault.LiveBlocks(), 0u);
    return struck;
  });
  // The handles and the entry records at least.
  EXPECT_GE(points, 6u);
  printf("PluginCatalogue (%s): %zu fault points\n", fault::ModeName(GetParam()), points);
}

TEST_P(UnitsFaultTest, DiscoveryLeavesWithBadAllocOrGivesWholePlugins) {
  const std::vector<std::string> libraries = {FPX_SIMULATOR_SO, FPXTEST_LONG_TEXTS_SO,
                                              m_Dir.path() + "/libfpx-missing.so", FPXTEST_A_SO};
  const std::vector<std::string> loadable = {FPX_SIMULATOR_SO, FPXTEST_LONG_TEXTS_SO, FPXTEST_A_SO};
  WriteEntriesInOrder(m_Root, libraries);
  WriteEntry(m_Root, "even", FPXTEST_B_SO, 2);
  // The units of each plug-in, in catalogue order; the first run also settles the loader's own
  // lasting allocations, so that the passes below start alike.
  std::vector<std::vector<std::string>> groups(3);
  {
    UnitSequence units = EnumerateUnitsAt(m_Root.c_str());
    ASSERT_EQ(units.size(), 6u);
    for (size_t i = 0; i < units.size(); ++i) groups[i / 2].push_back(Describe(*units[i]));
  }
  ASSERT_EQ(groups[1][0], "3 3 -1 2147483647 -2147483648 [long texts reader] [long texts serial]");
  size_t points = fault::ForEachFaultPoint(GetParam(), [&](size_t n) {
    WriteFile(m_SimTrace, "");
    WriteFile(m_TpTrace, "");
    UnitSequence units;
    bool threw = false;
    long descriptors = CountOpenDescriptors();
    AllocationFault fault(n, GetParam());
    try {
      units = EnumerateUnitsAt(m_Root.c_str());
    } catch (const std::bad_alloc&) {
      threw = true;
    }
    bool struck = fault.Stop();
    EXPECT_TRUE(struck || !threw);
    // Whole plug-ins, in order. The simulator copes with a shortage of its own by giving no texts.
    size_t next = 0;
    for (size_t g = 0; g < groups.size() && next < units.size(); ++g) {
      std::string first = Describe(*units[next], g != 0);
      std::string expected = g == 0 ? Describe(*units[next], false) : groups[g][0];
      if (first != expected || (g == 0 && units[next]->GetValue2() != 500)) continue;
      for (const std::string& unit : groups[g]) {
        if (next == units.size()) {
          ADD_FAILURE() << "plug-in " << g << " cut short";
          break;
        }
        if (g == 0) {
          std::string text1 = units[next]->GetText1();
          EXPECT_TRUE(text1.empty() || text1 == "Velmora simulated reader") << text1;
        } else {
          EXPECT_EQ(Describe(*units[next]), unit);
        }
        ++next;
      }
    }
    EXPECT_EQ(next, units.size()) << "units that belong to no plug-in, or out of order";
    if (!struck) {
      EXPECT_EQ(units.size(), 6u);
    }
    UnitSequence().swap(units);
    EXPECT_EQ(CountOpenDescriptors(), descriptors);
    for (const std::string& library : loadable) EXPECT_FALSE(IsLoaded(library)) << library;
    for (const char* name : {"long texts", "a"}) {
      SCOPED_TRACE(name);
      EXPECT_EQ(Count(name, "load"), Count(name, "unload"));
      EXPECT_EQ(Count(name, "FpxEnumUnits"), Count(name, "FpxFree ids"));
      EXPECT_EQ(Count(name, "FpxGetInfo"), Count(name, "FpxFree text1"));
      EXPECT_EQ(Count(name, "FpxGetInfo"), Count(name, "FpxFree text2"));
    }
    std::vector<std::string> simTrace = ReadLines(m_SimTrace);
    EXPECT_EQ(std::count(simTrace.begin(), simTrace.end(), "load"),
              std::count(simTrace.begin(), simTrace.end(), "unload"));
    EXPECT_EQ(std::count(simTrace.begin(), simTrace.end(), "FpxFree unknown"), 0);
    EXPECT_EQ(fault.LiveBlocks(), 0u);
    return struck;
  });
  // The catalogue's, then per plug-in its record and each unit with its texts and list slot.
  EXPECT_GE(points, 20u);
  printf("EnumerateUnits (%s): %zu fault points\n", fault::ModeName(GetParam()), points);
}

INSTANTIATE_TEST_SUITE_P(BothModes, UnitsFaultTest, testing::Values(FaultMode::kOnce, FaultMode::kFromThenOn),
                         [](const testing::TestParamInfo<FaultMode>& info) {
                           return info.param == FaultMode::kOnce ? std::string("Once")
                                                                 : std::string("FromThenOn");
                         });

}  // namespace
