// The fprintd plug-in loaded as the program loads it, against the real fprintd on the stand-in
// (run by tests/support/with_fprintd_standin.sh): what a disconnect and a cancel from another
// thread leave behind for the next client of the reader, and the prompts that a retry sends.
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <thread>

#include "tests/support/prompt_recorder.h"
#include "units/plugin_binding.h"

namespace {

// Another client of fprintd, on a connection of its own, as the lock screen would be.
class OtherClient {
 public:
  OtherClient() {
    g_autofree char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr);
    auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                   G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    m_Bus = g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, nullptr);
  }
  ~OtherClient() { g_clear_object(&m_Bus); }

  // "" when the call succeeded, else the D-Bus error's name.
  std::string Call(const char* method, GVariant* args) {
    g_autoptr(GError) error = nullptr;
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        m_Bus, "net.reactivated.Fprint", "/net/reactivated/Fprint/Device/0", "net.reactivated.Fprint.Device",
        method, args, nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &error);
    if (reply != nullptr) return "";
    g_autofree char* name = g_dbus_error_get_remote_error(error);
    return name != nullptr ? name : error->message;
  }
  std::string Claim() { return Call("Claim", g_variant_new("(s)", "")); }
  std::string Release() { return Call("Release", nullptr); }

 private:
  GDBusConnection* m_Bus = nullptr;
};

using velmora::test::Prompt;

// The sink of every test: the plug-in keeps it for the rest of the process.
velmora::test::PromptRecorder g_prompts;

// The plug-in with its one unit connected, and a capture on a thread of its own that waits in a
// verification once Start returned.
class FprintdPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(m_Plugin, nullptr);
    uint32_t* ids = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(m_Plugin->FpxEnumUnits(&ids, &count), 0);
    m_Plugin->FpxFree(ids);
    ASSERT_EQ(count, 1u);
    ASSERT_TRUE(g_prompts.Install(*m_Plugin));
    ASSERT_EQ(m_Plugin->FpxConnect(1, 0, 0, 0), 0);
  }
  // Every test disconnects; no prompt may come after that returned.
  void TearDown() override {
    ASSERT_EQ(m_Plugin->FpxDisconnect(1), 0);
    g_prompts.Disconnected();
    EXPECT_EQ(g_prompts.Late(), 0) << "the sink was called after FpxDisconnect returned";
  }
  // Starts the capture and, once the reader waits for a finger, sends it `commands` ("RETRY 1").
  void StartCapture(const std::string& commands = "") {
    m_Capture = std::thread([this] {
      unsigned char* sample = nullptr;
      int32_t size = 0, reserved = 0;
      m_Result = m_Plugin->FpxSensorCaptureSample(1, 2, 1, &sample, &size, &reserved);
    });
    // The stand-in's client returns once fprintd says that the reader waits for a finger.
    std::string wait =
        "/usr/bin/python3 " + std::string(getenv("STANDIN_CLIENT")) + " press " + getenv("READER") + commands;
    ASSERT_EQ(system(wait.c_str()), 0);
  }
  int32_t JoinCapture() {
    m_Capture.join();
    return m_Result;
  }

  std::shared_ptr<PluginParams> m_Plugin = BindPlugin(FPX_FPRINTD_SO);
  std::thread m_Capture;
  int32_t m_Result = 0;
};

TEST_F(FprintdPluginTest, ADisconnectReturnsWithTheReaderFreeForTheNextClient) {
  OtherClient other;  // connected first: its claim follows the disconnect at once
  StartCapture();
  ASSERT_EQ(m_Plugin->FpxDisconnect(1), 0);
  EXPECT_EQ(other.Claim(), "") << "the reader is still held once FpxDisconnect returned";
  EXPECT_NE(JoinCapture(), 0);
  EXPECT_EQ(other.Release(), "");
}

TEST_F(FprintdPluginTest, ACancelEndsTheVerificationButKeepsTheReaderUntilTheDisconnect) {
  StartCapture();
  ASSERT_EQ(m_Plugin->FpxCancel(1), 0);
  EXPECT_NE(JoinCapture(), 0);
  OtherClient other;
  EXPECT_EQ(other.Claim(), "net.reactivated.Fprint.Error.AlreadyInUse");
  ASSERT_EQ(m_Plugin->FpxDisconnect(1), 0);
  EXPECT_EQ(other.Claim(), "");
  EXPECT_EQ(other.Release(), "");
}

// Each of fprintd's retries asks for the finger again in the catalogue's words, and the
// verification goes on to the match.
TEST_F(FprintdPluginTest, ARetryPromptsThePersonAndTheMatchStillComes) {
  struct Case {
    int retry;  // libfprint's FpDeviceRetry, which fprintd reports as a verify-* status
    const char* prompt;
  } cases[] = {
      {0, "Place your finger on the reader again"},                // verify-retry-scan
      {1, "Swipe your finger again, more slowly"},                 // verify-swipe-too-short
      {2, "Centre your finger on the reader and try again"},       // verify-finger-not-centered
      {3, "Lift your finger, then place it on the reader again"},  // verify-remove-and-retry
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(g_prompts.Install(*m_Plugin));
    StartCapture(" 'RETRY " + std::to_string(c.retry) + "' 'SCAN print-a'");
    EXPECT_EQ(JoinCapture(), 0) << c.prompt;
    EXPECT_EQ(g_prompts.Prompts(), (std::vector<Prompt>{{1u, c.prompt}}));
  }
}

}  // namespace
