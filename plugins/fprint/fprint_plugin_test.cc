// The libfprint plug-in, loaded as the program loads it, against libfprint's virtual_image driver
// that the test feeds over its socket.
#include <fcntl.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "plugins/fprint/fprint_held.h"
#include "plugins/fprint/fprint_sample_sweep.h"
#include "tests/support/open_gate.h"
#include "tests/support/prompt_recorder.h"
#include "tests/support/ridge_image.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/virtual_reader.h"
#include "units/plugin_binding.h"

using namespace velmora::test;  // the shared test support

namespace {

// One capture on a thread of its own, as the program's worker runs it. Whatever its outcome, the
// capture leaves the thread without the unit's context pushed.
struct Capture {
  explicit Capture(PluginParams& plugin)
      : m_Thread([this, &plugin] {
          int32_t reserved = -1;
          m_Result = plugin.FpxSensorCaptureSample(1, 2, 1, &m_Sample, &m_Size, &reserved);
          m_LeftContext = g_main_context_get_thread_default();
        }) {}
  int32_t Join() {
    m_Thread.join();
    EXPECT_EQ(m_LeftContext, nullptr) << "the capture left a context pushed on its thread";
    return m_Result;
  }
  unsigned char* m_Sample = nullptr;
  int32_t m_Size = 0;
  int32_t m_Result = -1;
  GMainContext* m_LeftContext = nullptr;
  std::thread m_Thread;
};

// The sample's fields by key; "fpx1" maps to "" when it comes first.
std::map<std::string, std::string> ParseSample(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::istringstream in(text);
  std::string field;
  for (bool first = true; std::getline(in, field, ';'); first = false) {
    size_t equals = field.find('=');
    if (first && field == "fpx1") fields["fpx1"] = "";
    if (equals != std::string::npos) fields[field.substr(0, equals)] = field.substr(equals + 1);
  }
  return fields;
}

// The sink of every test: the plug-in keeps it for the rest of the process.
PromptRecorder g_prompts;

// Whether this process has enumerated already: the plug-in enumerates once per process.
bool g_enumerated = false;

int CountLines(const std::string& text, const std::string& part) {
  int count = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) count += line.find(part) != std::string::npos;
  return count;
}

class FprintPluginTest : public ::testing::Test {
 protected:
  FprintPluginTest()
      : m_Socket(UseVirtualReader()),
        m_SampleDir("VELMORA_FPRINT_SAMPLE_DIR", m_Dir.Path("samples").c_str()),
        m_Retries("VELMORA_FPRINT_RETRIES", nullptr),
        m_Plugin(BindPlugin(FPX_FPRINT_SO)) {}

  void SetUp() override {
    ASSERT_NE(m_Plugin, nullptr);
    uint32_t* ids = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(m_Plugin->FpxEnumUnits(&ids, &count), 0);
    g_enumerated = true;
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(ids[0], 1u);
    m_Plugin->FpxFree(ids);
    ASSERT_TRUE(g_prompts.Install(*m_Plugin));
    ASSERT_EQ(m_Plugin->FpxConnect(1, 0, 0, 0), 0);
    m_Reader = std::make_unique<VirtualReader>(m_Socket);
  }

  // The connects and disconnects of the test's thread, refused ones too, left no context pushed,
  // and no prompt came after a disconnect had returned.
  void TearDown() override {
    EXPECT_EQ(m_Plugin->FpxDisconnect(1), 0);
    g_prompts.Disconnected();
    EXPECT_EQ(g_main_context_get_thread_default(), nullptr) << "a call left a context pushed";
    EXPECT_EQ(g_prompts.Late(), 0) << "the sink was called after FpxDisconnect returned";
  }

  // Starts a capture and sends `image` once the device waits for the finger; `sample` receives
  // the sample pointer as the capture left it.
  std::string CaptureImage(const std::vector<uint8_t>& image, int32_t* result,
                           const char** sample = nullptr) {
    int seen = FingerWaits();
    Capture capture(*m_Plugin);
    AwaitFingerWait(seen);
    m_Reader->SendImage(kPrintWidth, kPrintHeight, image);
    *result = capture.Join();
    if (sample != nullptr) *sample = reinterpret_cast<const char*>(capture.m_Sample);
    if (*result != 0) return "";
    EXPECT_EQ(capture.m_Size, static_cast<int32_t>(strlen(reinterpret_cast<char*>(capture.m_Sample))));
    return reinterpret_cast<char*>(capture.m_Sample);
  }

  // Starts a capture, sends (kind, code) once the device waits for the finger, gives the result.
  int32_t CaptureAfterCode(int32_t kind, int32_t code) {
    return CaptureEndedBy([&] { m_Reader->SendCode(kind, code); });
  }

  // Starts a capture, runs `end` once the device waits for the finger, gives the capture's result.
  template <typename End>
  int32_t CaptureEndedBy(End end) {
    int seen = FingerWaits();
    Capture capture(*m_Plugin);
    AwaitFingerWait(seen);
    end();
    return capture.Join();
  }

  const std::string& m_Socket;
  ScopedTempDir m_Dir;
  ScopedEnv m_SampleDir;
  ScopedEnv m_Retries;
  std::shared_ptr<PluginParams> m_Plugin;
  std::unique_ptr<VirtualReader> m_Reader;
};

TEST_F(FprintPluginTest, DescribesTheVirtualReader) {
  UnitInfo info{};
  ASSERT_EQ(m_Plugin->FpxGetInfo(1, &info), 0);
  ASSERT_NE(info.text1, nullptr);
  ASSERT_NE(info.text2, nullptr);
  EXPECT_GT(strlen(info.text1), 0u);
  EXPECT_EQ(std::string(info.text2).rfind("virtual_image/", 0), 0u) << info.text2;
  EXPECT_TRUE(info.value1 == 0 || info.value1 == 1);
  EXPECT_GT(info.value2, 0);
  EXPECT_EQ(info.value3, 0);
  EXPECT_EQ(info.value4, 0);
  m_Plugin->FpxFree(info.text1);
  m_Plugin->FpxFree(info.text2);
  EXPECT_NE(m_Plugin->FpxGetInfo(2, &info), 0);
}

TEST_F(FprintPluginTest, CaptureWritesThePixelsIntoAPrivatePgmThatTheSampleDescribes) {
  std::vector<uint8_t> image = RidgeImage(kPrintWidth, kPrintHeight);
  int32_t result = -1;
  std::string sample = CaptureImage(image, &result);
  ASSERT_EQ(result, 0);
  ASSERT_LE(sample.size(), 255u);
  auto fields = ParseSample(sample);
  EXPECT_EQ(sample.rfind("fpx1;image=", 0), 0u) << sample;
  EXPECT_EQ(fields["width"], "256");
  EXPECT_EQ(fields["height"], "360");
  EXPECT_GT(std::stoi(fields["minutiae"]), 0);
  EXPECT_EQ(fields["device"].rfind("virtual_image/", 0), 0u);
  std::string path = fields["image"];
  EXPECT_EQ(path.rfind(m_Dir.Path("samples") + "/", 0), 0u) << path;
  std::string bytes = m_Dir.Read(path);
  std::string header = "P5\n256 360\n255\n";
  ASSERT_EQ(bytes.size(), header.size() + image.size());
  EXPECT_EQ(bytes.substr(0, header.size()), header);
  EXPECT_TRUE(bytes.substr(header.size()) == std::string(image.begin(), image.end()));
  g_autofree char* sha = g_compute_checksum_for_string(G_CHECKSUM_SHA256, bytes.data(), bytes.size());
  EXPECT_EQ(fields["sha256"], sha);
  struct stat file, folder;
  ASSERT_EQ(stat(path.c_str(), &file), 0);
  ASSERT_EQ(stat(m_Dir.Path("samples").c_str(), &folder), 0);
  EXPECT_EQ(file.st_mode & 07777, 0600u);
  EXPECT_EQ(folder.st_mode & 07777, 0700u);
}

// Each of libfprint's retries asks for the finger once, in words on the window and in libfprint's
// sentence on stderr, and the next image is taken.
TEST_F(FprintPluginTest, ARetryAsksForTheFingerOnceAndTheNextImageIsTaken) {
  struct Case {
    int32_t retry;  // libfprint's FpDeviceRetry
    const char* prompt;
  } cases[] = {
      {0, "Place your finger on the reader again"},                // general
      {1, "Swipe your finger again, more slowly"},                 // too short
      {2, "Centre your finger on the reader and try again"},       // centre the finger
      {3, "Lift your finger, then place it on the reader again"},  // remove the finger
  };
  std::vector<uint8_t> image = RidgeImage(kPrintWidth, kPrintHeight);
  for (const Case& c : cases) {
    ASSERT_TRUE(g_prompts.Install(*m_Plugin));
    testing::internal::CaptureStderr();
    int seen = FingerWaits();
    Capture capture(*m_Plugin);
    AwaitFingerWait(seen);
    m_Reader->SendCode(-1, c.retry);
    AwaitFingerWait(seen + 1);
    m_Reader->SendImage(kPrintWidth, kPrintHeight, image);
    int32_t result = capture.Join();
    std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(result, 0) << errors;
    EXPECT_EQ(ParseSample(reinterpret_cast<char*>(capture.m_Sample))["width"], "256");
    EXPECT_EQ(g_prompts.Prompts(), (std::vector<Prompt>{{1u, c.prompt}}));
    EXPECT_EQ(CountLines(errors, "velmora fprint: present the finger again: "), 1) << errors;
    EXPECT_EQ(CountLines(errors, "velmora fprint: "), 1) << errors;
    EXPECT_EQ(CountLines(errors, ".,"), 0) << "libfprint's sentence ends the line: " << errors;
  }
}

// The retry's result is held just as libfprint completes it, until a disconnect has come and
// returned: the capture then meets the retry with its unit disconnected, and must not prompt.
TEST_F(FprintPluginTest, ARetryThatMeetsADisconnectPromptsNoMore) {
  std::mutex lock;
  std::condition_variable changed;
  bool held = false, returned = false;
  HoldOnLogLine("Completing action FPI_DEVICE_ACTION_CAPTURE", [&] {
    std::unique_lock guard(lock);
    held = true;
    changed.notify_all();
    changed.wait(guard, [&] { return returned; });
  });
  testing::internal::CaptureStderr();
  int32_t result = CaptureEndedBy([&] {
    m_Reader->SendCode(-1, 0);
    std::unique_lock guard(lock);
    changed.wait(guard, [&] { return held; });
    EXPECT_EQ(m_Plugin->FpxDisconnect(1), 0);
    g_prompts.Disconnected();
    HoldOnLogLine("", {});
    returned = true;
    changed.notify_all();
  });
  testing::internal::GetCapturedStderr();
  EXPECT_NE(result, 0);
  EXPECT_EQ(g_prompts.Late(), 0) << "a prompt came after FpxDisconnect returned";
}

TEST_F(FprintPluginTest, TheRetryCapEndsTheCapture) {
  ScopedEnv cap("VELMORA_FPRINT_RETRIES", "0");
  testing::internal::CaptureStderr();
  int32_t result = CaptureAfterCode(-1, 0);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(result, 0);
  EXPECT_EQ(CountLines(errors, "present the finger again"), 0) << errors;
  EXPECT_EQ(CountLines(errors, "velmora fprint: capture failed"), 1) << errors;
}

TEST_F(FprintPluginTest, DisconnectFromAnotherThreadEndsTheWaitAndLaterCapturesFail) {
  EXPECT_NE(CaptureEndedBy([&] { EXPECT_EQ(m_Plugin->FpxDisconnect(1), 0); }), 0);
  EXPECT_EQ(m_Plugin->FpxDisconnect(1), 0);
  unsigned char* sample = nullptr;
  int32_t size = 0, reserved = 0;
  EXPECT_NE(m_Plugin->FpxSensorCaptureSample(1, 2, 1, &sample, &size, &reserved), 0);
  EXPECT_EQ(sample, nullptr);
}

// The device's close is held just before it completes until the disconnect, or the capture that
// it ends, has returned. A plug-in that closed on the returning thread would hold itself: the hold
// gives up after 10 s, a bound that only a failing plug-in reaches.
TEST_F(FprintPluginTest, ADisconnectReturnsBeforeTheReaderHasClosed) {
  for (bool capturing : {true, false}) {
    std::mutex lock;
    std::condition_variable changed;
    bool returned = false, returnedFirst = false;
    HoldOnLogLine(kCloseReportedLine, [&] {
      std::unique_lock held(lock);
      returnedFirst = changed.wait_for(held, std::chrono::seconds(10), [&] { return returned; });
    });
    auto disconnect = [&] { EXPECT_EQ(m_Plugin->FpxDisconnect(1), 0); };
    if (capturing) {
      EXPECT_NE(CaptureEndedBy(disconnect), 0);
    } else {
      disconnect();
    }
    {
      std::lock_guard held(lock);
      returned = true;
      changed.notify_all();
    }
    ASSERT_EQ(m_Plugin->FpxConnect(1, 0, 0, 0), 0);  // after the close
    HoldOnLogLine("", {});
    std::lock_guard held(lock);
    EXPECT_TRUE(returnedFirst) << (capturing ? "the capture" : "the disconnect") << " waited for the close";
    m_Reader = std::make_unique<VirtualReader>(m_Socket);
  }
}

TEST_F(FprintPluginTest, AConnectRightAfterADisconnectOpensTheReaderAgain) {
  testing::internal::CaptureStderr();
  EXPECT_NE(CaptureEndedBy([&] {
              EXPECT_EQ(m_Plugin->FpxDisconnect(1), 0);
              EXPECT_EQ(m_Plugin->FpxConnect(1, 0, 0, 0), 0);
            }),
            0);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(CountLines(errors, "velmora fprint: "), 0) << errors;
  m_Reader = std::make_unique<VirtualReader>(m_Socket);
  int32_t result = -1;
  CaptureImage(RidgeImage(kPrintWidth, kPrintHeight), &result);
  EXPECT_EQ(result, 0);
}

// The sample's file is held at its creation while the disconnect comes: the image was taken, and
// the capture has not returned yet.
TEST_F(FprintPluginTest, ADisconnectThatReachesAFinishingCaptureFailsItAndRemovesItsFile) {
  ASSERT_EQ(mkdir(m_Dir.Path("samples").c_str(), 0700), 0);
  OpenGate gate(m_Dir.Path("samples"));
  int32_t result = CaptureEndedBy([&] {
    m_Reader->SendImage(kPrintWidth, kPrintHeight, RidgeImage(kPrintWidth, kPrintHeight));
    gate.AwaitOpen();
    EXPECT_EQ(m_Plugin->FpxDisconnect(1), 0);
    gate.Release();
  });
  EXPECT_NE(result, 0);
  EXPECT_TRUE(std::filesystem::is_empty(m_Dir.Path("samples")));
}

TEST_F(FprintPluginTest, AFailedCaptureLeavesThePreviousSampleAsItWas) {
  std::vector<uint8_t> image = RidgeImage(kPrintWidth, kPrintHeight);
  int32_t result = -1;
  const char* sample = nullptr;
  std::string first = CaptureImage(image, &result, &sample);
  ASSERT_EQ(result, 0);
  std::string tooLong = m_Dir.Path(std::string(200, 'x'));  // the text would pass 255 bytes
  ScopedEnv folder("VELMORA_FPRINT_SAMPLE_DIR", tooLong.c_str());
  testing::internal::CaptureStderr();
  CaptureImage(image, &result);
  testing::internal::GetCapturedStderr();
  EXPECT_NE(result, 0);
  EXPECT_EQ(sample, first);
}

TEST_F(FprintPluginTest, ACaptureRemovesTheOldSamplesAndKeepsTheFreshOnes) {
  ASSERT_EQ(mkdir(m_Dir.Path("samples").c_str(), 0700), 0);
  std::string old = m_Dir.Write("samples/sample-oldold.pgm", "P5\n1 1\n255\n\x01", 0600);
  m_Dir.Write("samples/sample-freshy.pgm", "P5\n1 1\n255\n\x01", 0600);
  timespec past = {time(nullptr) - kFprintSampleLifetimeSeconds - 60, 0};
  timespec times[2] = {past, past};
  ASSERT_EQ(utimensat(AT_FDCWD, old.c_str(), times, 0), 0);
  int32_t result = -1;
  std::string sample = CaptureImage(RidgeImage(kPrintWidth, kPrintHeight), &result);
  ASSERT_EQ(result, 0);
  std::string made = ParseSample(sample)["image"];
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path("samples")))
    left.push_back(entry.path().string());
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = {m_Dir.Path("samples/sample-freshy.pgm"), made};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

// The virtual reader's socket path held by a folder that libfprint cannot replace, as another
// process's claim holds a USB reader: the connect fails with one line that says so. libfprint warns
// with its own text besides, through GLib's log.
TEST_F(FprintPluginTest, AReaderThatAnotherProcessHoldsIsSaidToBeHeld) {
  ASSERT_EQ(m_Plugin->FpxDisconnect(1), 0);
  m_Reader.reset();
  unlink(m_Socket.c_str());
  ASSERT_EQ(mkdir(m_Socket.c_str(), 0700), 0);
  std::string inside = m_Socket + "/holder";
  ASSERT_EQ(close(creat(inside.c_str(), 0600)), 0);  // not empty: no removal of libfprint's takes it
  testing::internal::CaptureStderr();
  int32_t result = m_Plugin->FpxConnect(1, 0, 0, 0);
  std::string errors = testing::internal::GetCapturedStderr();
  unlink(inside.c_str());
  rmdir(m_Socket.c_str());
  EXPECT_NE(result, 0);
  EXPECT_EQ(CountLines(errors, "velmora fprint: "), 1) << errors;
  EXPECT_EQ(CountLines(errors, "velmora fprint: opening "), 1) << errors;
  EXPECT_EQ(CountLines(errors, ": " FPRINT_HELD_TEXT), 1) << errors;
  ASSERT_EQ(m_Plugin->FpxConnect(1, 0, 0, 0), 0);  // free again
  m_Reader = std::make_unique<VirtualReader>(m_Socket);
}

TEST_F(FprintPluginTest, CancelEndsTheWait) {
  EXPECT_NE(CaptureEndedBy([&] { EXPECT_EQ(m_Plugin->FpxCancel(1), 0); }), 0);
}

TEST_F(FprintPluginTest, AFolderOpenToOthersIsRefused) {
  ASSERT_EQ(mkdir(m_Dir.Path("samples").c_str(), 0700), 0);
  ASSERT_EQ(chmod(m_Dir.Path("samples").c_str(), 0755), 0);
  testing::internal::CaptureStderr();
  int32_t result = -1;
  CaptureImage(RidgeImage(kPrintWidth, kPrintHeight), &result);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(result, 0);
  EXPECT_EQ(CountLines(errors, "refusing sample folder"), 1) << errors;
  EXPECT_TRUE(std::filesystem::is_empty(m_Dir.Path("samples")));
}

TEST_F(FprintPluginTest, AReaderErrorFailsTheCapture) {
  testing::internal::CaptureStderr();
  int32_t result = CaptureAfterCode(-2, 1);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(result, 0);
  EXPECT_EQ(CountLines(errors, "velmora fprint: capture failed"), 1) << errors;
}

TEST_F(FprintPluginTest, ARemovedReaderFailsTheCapture) {  // defined last: the device is gone afterwards
  testing::internal::CaptureStderr();
  int32_t result = CaptureAfterCode(-5, 0);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(result, 0);
  EXPECT_GE(CountLines(errors, "velmora fprint: capture failed"), 1) << errors;
}

TEST(FprintPluginLoadTest, LoadsUnloadsAndLoadsAgain) {
  UseVirtualReader();
  for (int round = 0; round < 2; ++round) {
    std::shared_ptr<PluginParams> plugin = BindPlugin(FPX_FPRINT_SO);
    ASSERT_NE(plugin, nullptr) << "round " << round;
    uint32_t* ids = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(plugin->FpxEnumUnits(&ids, &count), 0);
    g_enumerated = true;
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(plugin->FpxFree(ids), 0);
    EXPECT_EQ(plugin->FpxFree(nullptr), 0);
    EXPECT_NE(plugin->FpxExtractSample(1, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  }
}

TEST(FprintPluginLoadTest, EnumerationFailsWhileAnotherThreadOwnsTheDefaultContext) {
  UseVirtualReader();
  if (g_enumerated) GTEST_SKIP() << "this process has enumerated already; run the test on its own";
  std::shared_ptr<PluginParams> plugin = BindPlugin(FPX_FPRINT_SO);
  ASSERT_NE(plugin, nullptr);
  std::mutex lock;
  std::condition_variable changed;
  bool owned = false, done = false;
  std::thread owner([&] {
    g_main_context_acquire(g_main_context_default());
    std::unique_lock held(lock);
    owned = true;
    changed.notify_all();
    changed.wait(held, [&] { return done; });
    g_main_context_release(g_main_context_default());
  });
  {
    std::unique_lock held(lock);
    changed.wait(held, [&] { return owned; });
  }
  uint32_t* ids = nullptr;
  uint32_t count = 0;
  testing::internal::CaptureStderr();
  int32_t result = plugin->FpxEnumUnits(&ids, &count);
  std::string errors = testing::internal::GetCapturedStderr();
  {
    std::lock_guard held(lock);
    done = true;
    changed.notify_all();
  }
  owner.join();
  EXPECT_NE(result, 0);
  EXPECT_EQ(CountLines(errors, "g_main_context_acquire"), 1) << errors;
}

}  // namespace
