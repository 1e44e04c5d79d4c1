// velmora-plugin-check as a reader maker runs it: the built binary over real plug-in libraries,
// the simulator and test plug-ins that break one rule each.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/catalogue_root.h"
#include "tests/support/command_run.h"
#include "tests/support/json_reader.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace {

const char* const kIds[] = {"entry-points",
                            "enum-units",
                            "free-null",
                            "get-info",
                            "get-info-unknown-id",
                            "capture-sequence",
                            "disconnect-during-capture",
                            "capture-after-disconnect",
                            "cycles",
                            "prompts",
                            "reload"};

struct Checked {
  int status;
  JsonValue report;
  // The ids of the checks with `result`.
  std::set<std::string> With(const std::string& result) const {
    std::set<std::string> ids;
    for (const JsonValue& check : report["checks"].items)
      if (check["result"].text == result) ids.insert(check["id"].text);
    return ids;
  }
  std::string Detail(const std::string& id) const {
    for (const JsonValue& check : report["checks"].items)
      if (check["id"].text == id) return check["result"].text + ": " + check["detail"].text;
    return "missing";
  }
};

// The checker's arguments: `options` (words between blanks) and the library. The disconnect checks
// get ten times their bound: a sanitized build on a busy machine may miss 100 ms, and a plug-in
// that never ends its capture misses a second all the same.
std::vector<std::string> CheckerArgs(const std::string& library, const std::string& options) {
  std::vector<std::string> args = {VELMORA_PLUGIN_CHECK_BIN, "--json", "--timeout", "5", "--slow", "10"};
  std::istringstream words(options);
  for (std::string word; words >> word;) args.push_back(word);
  args.push_back(library);
  return args;
}

// A timeout that a hang needs to reach, yet generous for a sanitized build on a busy machine.
Checked Check(const std::string& library, const std::string& options = "") {
  CommandRun run = RunProgram(CheckerArgs(library, options));
  Checked checked{run.status, ParseJson(run.out)};
  EXPECT_EQ(checked.report["library"].text, library);
  std::vector<std::string> ids;
  for (const JsonValue& check : checked.report["checks"].items) ids.push_back(check["id"].text);
  EXPECT_EQ(ids, std::vector<std::string>(std::begin(kIds), std::end(kIds))) << run.out;
  return checked;
}

class PluginCheckTest : public ::testing::Test {
 protected:
  ScopedEnv m_Delay{"VELMORA_SIM_DELAY_MS", "0"};
  ScopedEnv m_Units{"VELMORA_SIM_UNITS", nullptr};
  ScopedEnv m_Fail{"VELMORA_SIM_FAIL", nullptr};
};

TEST_F(PluginCheckTest, TheSimulatorPasses) {
  Checked checked = Check(FPX_SIMULATOR_SO);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.With("fail"), std::set<std::string>());
  EXPECT_EQ(checked.With("warn"), std::set<std::string>());
  EXPECT_EQ(checked.Detail("get-info"),
            "pass: unit 1: \"Velmora simulated reader\", \"SIM-0001\", values 1 500 256 360");
  EXPECT_EQ(checked.Detail("capture-sequence"),
            "pass: sample of 32 bytes: \"VelmoraSimulatedFingerprint-0001\"");
}

// The simulator's prompt reaches the sink once per capture; without it the check has nothing to
// find but passes all the same.
TEST_F(PluginCheckTest, TheSimulatorsPromptsPass) {
  ScopedEnv prompt("VELMORA_SIM_PROMPT", "Gr\xc3\xbc\xc3\x9f Gott, place your finger");
  Checked checked = Check(FPX_SIMULATOR_SO);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.Detail("prompts"),
            "pass: 1 prompt, each ending within 256 bytes and UTF-8, none in the 1000 ms after FpxDisconnect "
            "returned; the first: \"Gr\\xc3\\xbc\\xc3\\x9f Gott, place your finger\"");
}

TEST_F(PluginCheckTest, WithoutAFingerOnlyTheCaptureIsSkippedAndADisconnectEndsTheWait) {
  ScopedEnv longWait("VELMORA_SIM_DELAY_MS", "600000");
  Checked checked = Check(FPX_SIMULATOR_SO, "--no-capture");
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.With("skip"), (std::set<std::string>{"capture-sequence", "cycles", "prompts"}));
  EXPECT_EQ(checked.Detail("disconnect-during-capture"), "pass: the capture returned 2 after FpxDisconnect");
}

TEST_F(PluginCheckTest, TheCaptureChecksUseTheUnitAskedFor) {
  ScopedEnv units("VELMORA_SIM_UNITS", "7,2");
  ScopedTempDir dir;
  ScopedEnv trace("VELMORA_SIM_TRACE", dir.Path("trace").c_str());
  EXPECT_EQ(Check(FPX_SIMULATOR_SO, "--unit 2").status, 0);
  std::set<std::string> captures;
  for (const std::string& line : ReadLines(dir.Path("trace")))
    if (line.rfind("FpxSensorCaptureSample ", 0) == 0) captures.insert(line);
  EXPECT_EQ(captures, std::set<std::string>{"FpxSensorCaptureSample 2 2 1"});

  Checked missing = Check(FPX_SIMULATOR_SO, "--unit 9");
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.Detail("capture-sequence"), "skip: no unit 9 among the listed units 7, 2");
}

// Each plug-in breaks one rule; exactly the check of that rule fails, and the checker ends
// normally, also when the plug-in crashes or never returns.
TEST_F(PluginCheckTest, EachBrokenRuleFailsItsOwnCheck) {
  struct Case {
    const char* library;
    const char* options;
    const char* failing;
    const char* detail;
  };
  const Case kCases[] = {
      {FPXTEST_NO_FREE_SO, "", "entry-points",
       "fail: FpxFree is exported neither as FpxFree nor as _FpxFree: the program does not load the library"},
      {FPXBROKEN_OPEN_TEXT_SO, "", "get-info", "fail: text1 of unit 1 has no NUL within 4096 bytes"},
      {FPXBROKEN_GETINFO_CRASH_SO, "", "get-info",
       "fail: killed by signal 11 (Segmentation fault) during FpxGetInfo(1)"},
      {FPXBROKEN_FREE_NULL_CRASH_SO, "", "free-null",
       "fail: killed by signal 11 (Segmentation fault) during FpxFree(NULL)"},
      {FPXBROKEN_DEAF_CAPTURE_SO, "--no-capture", "disconnect-during-capture",
       "fail: the capture still runs 1000 ms after FpxDisconnect from another thread (which returned 0): "
       "closing the window does not end it"},
      {FPXBROKEN_OPEN_SAMPLE_SO, "", "capture-sequence",
       "fail: no NUL byte within the sample's first 256 bytes, and SampleSize is 64: the program reads 255 "
       "bytes, past "
       "the sample's end"},
      {FPXBROKEN_LONG_SAMPLE_SO, "", "capture-sequence",
       "fail: no NUL byte within the sample's first 256 bytes: the parent's record receives the first 255 "
       "of its 512 bytes"},
      {FPXBROKEN_FD_LEAK_SO, "", "cycles", "fail: open descriptors "},
      {FPXBROKEN_HEAP_LEAK_SO, "", "cycles", "fail: heap in use grew by "},
      {FPXBROKEN_OPEN_PROMPT_SO, "", "prompts",
       "fail: a prompt without a NUL byte within 256 bytes: the program shows it cut: \"xxxx"},
      {FPXBROKEN_BAD_PROMPT_SO, "", "prompts",
       "fail: a prompt that is not UTF-8: the window shows replacement characters: \"Place your finger "
       "\\xc3(\""},
      {FPXBROKEN_LATE_PROMPT_SO, "", "prompts",
       "fail: a prompt after FpxDisconnect returned: the program ignores it, and may have freed the sink's "
       "data: \"Still here\""},
  };
  for (const Case& c : kCases) {
    Checked checked = Check(c.library, c.options);
    EXPECT_EQ(checked.status, 1) << c.library;
    EXPECT_EQ(checked.With("fail"), std::set<std::string>{c.failing}) << c.library;
    EXPECT_EQ(checked.Detail(c.failing).rfind(c.detail, 0), 0u) << checked.Detail(c.failing);
  }
}

// enum-units fails a list that the program's discovery cannot use, and hands it back to FpxFree
// all the same, as the discovery does.
TEST_F(PluginCheckTest, EnumUnitsHandsBackTheListsItRejects) {
  struct Case {
    const char* library;
    const char* detail;
    const char* handedBack;
  };
  const Case kCases[] = {
      {FPXTEST_NULL_IDS_SO, "fail: FpxEnumUnits reported 2 units but no list", "nullids FpxFree null"},
      {FPXTEST_TOO_MANY_SO, "fail: FpxEnumUnits reported 65537 units, more than 65536",
       "toomany FpxFree ids"},
  };
  for (const Case& c : kCases) {
    ScopedTempDir dir;
    ScopedEnv trace("VELMORA_TP_TRACE", dir.Path("trace").c_str());
    Checked checked = Check(c.library);
    EXPECT_EQ(checked.With("fail"), std::set<std::string>{"enum-units"}) << c.library;
    EXPECT_EQ(checked.Detail("enum-units").rfind(c.detail, 0), 0u) << checked.Detail("enum-units");
    Lines calls = ReadLines(dir.Path("trace"));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), c.handedBack), 1) << c.library;
  }
}

// The plug-in runs in the check's child and inherits the pipe on which the child reports: what it
// writes there fails the check it ran in, and the checker keeps its own bounds.
TEST_F(PluginCheckTest, WhatAPluginForgesOnTheChildsPipeFailsTheCheck) {
  struct Case {
    const char* library;
    const char* detail;
  };
  const Case kCases[] = {
      {FPXFORGING_RESULT_79_SO,
       "fail: the check's pipe carried a verdict with the result byte 79: the plug-in writes to a "
       "descriptor that is not its own during FpxFree(NULL)"},
      {FPXFORGING_PASS_CRASH_SO, "fail: killed by signal 11 (Segmentation fault) during FpxFree(NULL)"},
      {FPXFORGING_UNOPENABLE_SO,
       "fail: the check's pipe carried a verdict that the library cannot be opened, which only "
       "entry-points gives: the plug-in writes to a descriptor that is not its own"},
      {FPXFORGING_FLOOD_SO,
       "fail: the check's pipe carried more than 64 MiB: the plug-in writes to a descriptor that is "
       "not its own during flood"},
      {FPXFORGING_FLOOD_LONG_SO,
       "fail: the check's pipe carried a message of 4294967280 bytes, more than 65536: the plug-in writes "
       "to a descriptor that is not its own during FpxFree(NULL)"},
  };
  for (const Case& c : kCases) {
    Checked checked = Check(c.library);
    EXPECT_EQ(checked.status, 1) << c.library;
    EXPECT_EQ(checked.With("fail"), std::set<std::string>{"free-null"}) << c.library;
    EXPECT_EQ(checked.Detail("free-null"), c.detail);
  }
  rusage children = {};
  getrusage(RUSAGE_CHILDREN, &children);
  EXPECT_LT(children.ru_maxrss, 256 * 1024) << "KiB, the checker's peak (or a child's), flooded";
}

TEST_F(PluginCheckTest, AProcessThatAPluginStartsInASessionOfItsOwnEndsWithTheChecker) {
  ScopedTempDir dir;
  ScopedEnv lock("VELMORA_TF_LOCK", dir.Path("lock").c_str());
  EXPECT_EQ(Check(FPXFORGING_SESSION_SO).status, 0);
  Lines written = ReadLines(dir.Path("lock"));
  ASSERT_EQ(written.size(), 1u) << "the plug-in's process wrote no id";
  pid_t lingering = std::stoi(written[0]);
  int fd = open(dir.Path("lock").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  bool released = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  if (!released) kill(lingering, SIGKILL);  // it holds the lock: it is the plug-in's process
  EXPECT_TRUE(released) << "process " << lingering << " still holds the lock";
}

TEST_F(PluginCheckTest, APluginThatKeepsEveryRulePassesAll) {
  Checked checked = Check(FPXBROKEN_NONE_SO);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.With("fail"), std::set<std::string>());
  EXPECT_EQ(checked.With("warn"), std::set<std::string>());
  EXPECT_EQ(checked.Detail("prompts"), "skip: the plug-in does not export FpxSetPromptSink");
}

TEST(PluginCheckCommandLine, UsageAndLibrariesThatCannotBeOpened) {
  std::string checker = VELMORA_PLUGIN_CHECK_BIN;
  CommandRun help = RunProgram({checker, "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: velmora-plugin-check ", 0), 0u) << help.out;
  CommandRun bad = RunProgram({checker, "--timeout", "0", "x.so"}, ErrorStream::kMerged);
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(
      bad.out.rfind("velmora-plugin-check: --timeout: not a number of seconds from 1 to 3600: 0\nusage:", 0),
      0u)
      << bad.out;
  CommandRun missing = RunProgram({checker, "/nonexistent/libfpx-none.so"}, ErrorStream::kDiscarded);
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "") << "nothing on standard output";
  CommandRun said = RunProgram({checker, "/nonexistent/libfpx-none.so"}, ErrorStream::kMerged);
  EXPECT_EQ(said.out.rfind("velmora-plugin-check: cannot open /nonexistent/libfpx-none.so: ", 0), 0u)
      << said.out;
  CommandRun unresolved = RunProgram({checker, "--json", FPXTEST_UNRESOLVED_SO}, ErrorStream::kDiscarded);
  EXPECT_EQ(unresolved.status, 2) << "a symbol that immediate binding cannot resolve";
}

}  // namespace
