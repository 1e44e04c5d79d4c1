// velmora-plugin-check over the libfprint plug-in, with libfprint's virtual_image reader: once
// with a finger that the test keeps on the reader for every capture, once with none.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/command_run.h"
#include "tests/support/finger_feeder.h"
#include "tests/support/json_reader.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace {

class PluginCheckFprintTest : public ::testing::Test {
 protected:
  // Each check is a process of its own that opens the reader; a generous limit per step, since
  // the minutiae of a capture take long under a sanitizer, and ten times the disconnect bound.
  JsonValue Check(const std::string& options, int expectedStatus, const std::string& redirection = "") {
    CommandRun run = RunCommand(std::string(VELMORA_PLUGIN_CHECK_BIN) + " --json --timeout 120 --slow 10 " +
                                options + " " + FPX_FPRINT_SO + redirection);
    EXPECT_EQ(run.status, expectedStatus) << run.out;
    return ParseJson(run.out);
  }

  // The result of check `id`, with its detail for a failing assertion.
  static std::string Result(const JsonValue& report, const std::string& id) {
    for (const JsonValue& check : report["checks"].items)
      if (check["id"].text == id) return check["result"].text + ": " + check["detail"].text;
    return "missing";
  }

  ScopedTempDir m_Dir;
  ScopedEnv m_Drivers{"FP_DRIVERS_WHITELIST", "virtual_image"};
  ScopedEnv m_Socket{"FP_VIRTUAL_IMAGE", m_Dir.Path("reader.sock").c_str()};
  ScopedEnv m_Samples{"VELMORA_FPRINT_SAMPLE_DIR", m_Dir.Path("samples").c_str()};
};

TEST_F(PluginCheckFprintTest, PassesWithAFingerOnTheReaderForEveryCapture) {
  ScopedEnv debug("G_MESSAGES_DEBUG", "libfprint-image_device");
  FingerFeeder finger(m_Dir.Path("reader.sock"));
  JsonValue report = Check("", 0, " 2>&" + std::to_string(finger.LogFd()));
  for (const JsonValue& check : report["checks"].items)
    EXPECT_NE(check["result"].text, "fail") << check["id"].text << ": " << check["detail"].text;
  EXPECT_EQ(Result(report, "capture-sequence").rfind("pass: sample of ", 0), 0u)
      << Result(report, "capture-sequence");
  // GLib and libfprint may keep a little memory per opening of the reader: a warning at most.
  EXPECT_EQ(Result(report, "cycles").find("captures failed"), std::string::npos) << Result(report, "cycles");
  EXPECT_GE(finger.Sent(), 25) << "a print for capture-sequence and for each of the 24 cycles";
}

TEST_F(PluginCheckFprintTest, ADisconnectEndsACaptureThatWaitsForItsFinger) {
  JsonValue report = Check("--no-capture", 0);
  EXPECT_EQ(Result(report, "disconnect-during-capture").rfind("pass: ", 0), 0u)
      << Result(report, "disconnect-during-capture");
  EXPECT_EQ(Result(report, "capture-after-disconnect").rfind("pass: ", 0), 0u)
      << Result(report, "capture-after-disconnect");
}

}  // namespace
