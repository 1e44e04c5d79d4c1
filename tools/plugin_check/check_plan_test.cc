#include "tools/plugin_check/check_plan.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tools/plugin_check/cycles_check.h"
#include "tools/plugin_check/disconnect_check.h"
#include "units/prompt_sink.h"

namespace {

// The manual page's CHECKS section: each ".TP" entry's ".B" id (without groff's escapes) with
// the entry's text.
std::vector<std::pair<std::string, std::string>> ManualChecks() {
  std::ifstream page(VELMORA_SOURCE_DIR "/cmake/man/velmora-plugin-check.1");
  std::vector<std::pair<std::string, std::string>> checks;
  std::string line, previous;
  bool inChecks = false;
  while (std::getline(page, line)) {
    if (line.rfind(".SH", 0) == 0) inChecks = line == ".SH CHECKS";
    if (inChecks && previous == ".TP" && line.rfind(".B ", 0) == 0) {
      std::string id = line.substr(3);
      for (size_t at; (at = id.find("\\-")) != std::string::npos;) id.erase(at, 1);
      checks.push_back({id, ""});
    } else if (inChecks && !checks.empty()) {
      checks.back().second += line + "\n";
    }
    previous = line;
  }
  return checks;
}

// The manual page lists every check of the list, in its order, and names the limits they use.
TEST(CheckPlanTest, TheManualPageListsTheChecksInOrder) {
  std::vector<std::pair<std::string, std::string>> manual = ManualChecks();
  std::vector<std::string> listed, documented;
  for (const PlannedCheck& check : CheckList()) listed.push_back(check.id);
  for (const auto& [id, text] : manual) documented.push_back(id);
  EXPECT_EQ(documented, listed);
  ASSERT_EQ(manual.size(), CheckList().size());
  struct Limit {
    const char* id;
    std::string text;
  };
  const Limit kLimits[] = {
      {"disconnect-during-capture", std::to_string(kDisconnectBound.count()) + " ms"},
      {"capture-after-disconnect", std::to_string(kDisconnectBound.count()) + " ms"},
      {"cycles", std::to_string(kMeasuredCycles) + " connect"},
      {"cycles", "after " + std::to_string(kWarmUpCycles) + " that"},
      {"cycles", std::to_string(kHeapWarnBytes / 1024) + " KiB"},
      {"cycles", std::to_string(kHeapFailBytes / 1024) + " KiB"},
      {"prompts", std::to_string(kPromptCapacity) + " bytes"},
      {"prompts", std::to_string(kDisconnectBound.count()) + " ms"},
  };
  for (const Limit& limit : kLimits)
    for (const auto& [id, text] : manual)
      if (id == limit.id) {
        EXPECT_NE(text.find(limit.text), std::string::npos) << id << ": " << limit.text;
      }
}

// Every prerequisite is an earlier check of the list.
TEST(CheckPlanTest, PrerequisitesComeFirst) {
  std::set<std::string> earlier;
  for (const PlannedCheck& check : CheckList()) {
    if (check.needs != nullptr) {
      EXPECT_EQ(earlier.count(check.needs), 1u) << check.id;
    }
    EXPECT_TRUE(earlier.insert(check.id).second) << check.id << " twice";
  }
}

}  // namespace
