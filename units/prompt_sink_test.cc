#include "units/prompt_sink.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scoped_temp_dir.h"
#include "units/bio_unit_impl.h"
#include "units/plugin_binding.h"

using namespace velmora::test;  // the shared test support

namespace {

struct Received {
  uint32_t unitId;
  std::string text;
  std::thread::id thread;
};

std::mutex g_Lock;
std::vector<Received> g_Received;  // GUARDED_BY(g_Lock)

void Keep(uint32_t unitId, const char* text) {
  std::lock_guard<std::mutex> hold(g_Lock);
  g_Received.push_back({unitId, text, std::this_thread::get_id()});
}

std::vector<Received> TakeReceived() {
  std::lock_guard<std::mutex> hold(g_Lock);
  return std::move(g_Received);
}

using SendPromptFn = int32_t (*)(uint32_t unitId, const char* text);

// The prompting test plug-in, bound, with its unit 3 and the door to its sink.
class PromptTest : public testing::Test {
 protected:
  void SetUp() override {
    TakeReceived();
    SetPromptHandler(Keep);
    m_Params = BindPlugin(FPXTEST_PROMPTS_SO);
    ASSERT_NE(m_Params, nullptr);
    m_Send = reinterpret_cast<SendPromptFn>(dlsym(m_Params->handle, "TpSendPrompt"));
    ASSERT_NE(m_Send, nullptr);
    m_Unit = std::make_unique<BioUnitImpl>(m_Params, 3);
  }
  void TearDown() override { SetPromptHandler(nullptr); }

  std::shared_ptr<PluginParams> m_Params;
  SendPromptFn m_Send = nullptr;
  std::unique_ptr<BioUnitImpl> m_Unit;
};

}  // namespace

TEST(PromptEntryPointTest, FoundWhenExportedAndItsAbsenceIsNoFailure) {
  const struct {
    const char* library;
    bool exported;
  } cases[] = {{FPXTEST_PROMPTS_SO, true}, {FPXTEST_A_SO, false}, {FPXTEST_UNDERSCORE_SO, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.library);
    std::string why;
    std::shared_ptr<PluginParams> params = BindPluginExplained(c.library, &why);
    ASSERT_NE(params, nullptr) << why;
    EXPECT_EQ(params->FpxSetPromptSink != nullptr, c.exported);
    EXPECT_NE(params->FpxFree, nullptr);
  }
}

TEST_F(PromptTest, TheSinkIsGivenBeforeEveryConnect) {
  ScopedTempDir dir;
  std::string trace = dir.Path("trace");
  setenv("VELMORA_TP_TRACE", trace.c_str(), 1);
  m_Unit->Connect(0, 0, 0);
  m_Unit->Disconnect();
  m_Unit->Connect(0, 0, 0);
  unsetenv("VELMORA_TP_TRACE");
  m_Unit->Disconnect();
  EXPECT_EQ(dir.Read(trace),
            "prompts FpxSetPromptSink\nprompts FpxConnect 3\nprompts FpxDisconnect 3\n"
            "prompts FpxSetPromptSink\nprompts FpxConnect 3\n");
}

TEST_F(PromptTest, APromptFromAnotherThreadIsCopiedOnThatThread) {
  m_Unit->Connect(0, 0, 0);
  std::thread::id sender;
  std::thread reader([&] {
    sender = std::this_thread::get_id();
    std::string text = "Swipe your finger again, more slowly";
    EXPECT_EQ(m_Send(3, text.c_str()), 0);
    text.assign(text.size(), 'x');  // the program has its copy already
  });
  reader.join();
  m_Unit->Disconnect();
  std::vector<Received> received = TakeReceived();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].unitId, 3u);
  EXPECT_EQ(received[0].text, "Swipe your finger again, more slowly");
  EXPECT_EQ(received[0].thread, sender);
}

TEST_F(PromptTest, PromptsAfterTheDisconnectReturnedOrWithoutTextAreDropped) {
  m_Unit->Connect(0, 0, 0);
  EXPECT_EQ(m_Send(3, nullptr), 0);
  EXPECT_EQ(m_Send(3, "while connected"), 0);
  m_Unit->Disconnect();
  EXPECT_EQ(m_Send(3, "after the disconnect"), 0);
  std::thread late([&] { m_Send(3, "late, from another thread"); });
  late.join();
  std::vector<Received> received = TakeReceived();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].text, "while connected");
}

TEST_F(PromptTest, WithoutAHandlerPromptsGoNowhere) {
  SetPromptHandler(nullptr);
  m_Unit->Connect(0, 0, 0);
  EXPECT_EQ(m_Send(3, "nobody listens"), 0);
  m_Unit->Disconnect();
  EXPECT_TRUE(TakeReceived().empty());
}

// A text that fills the last bytes before unmapped memory: reading one byte too far crashes.
TEST_F(PromptTest, ATextWithoutTerminatorIsCutWithoutReadingPastItsCapacity) {
  long page = sysconf(_SC_PAGESIZE);
  char* pages =
      static_cast<char*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(pages, MAP_FAILED);
  ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
  char* text = pages + page - kPromptCapacity;
  const struct {
    std::string content;  // the kPromptCapacity bytes before the guard, no NUL among them
    std::string expected;
  } cases[] = {
      {std::string(256, 'a'), std::string(255, 'a')},
      // A two-byte character at bytes 254 and 255 would be split: it goes whole.
      {std::string(254, 'b') + "\xc3\xa9", std::string(254, 'b')},
      // A three-byte character over bytes 253 to 255 goes whole as well.
      {std::string(253, 'c') + "\xe2\x82\xac", std::string(253, 'c')},
      {std::string(255, 'd') + "e", std::string(255, 'd')},
  };
  m_Unit->Connect(0, 0, 0);
  for (const auto& c : cases) {
    ASSERT_EQ(c.content.size(), kPromptCapacity);
    memcpy(text, c.content.data(), kPromptCapacity);
    EXPECT_EQ(m_Send(3, text), 0);
  }
  m_Unit->Disconnect();
  munmap(pages, 2 * page);
  std::vector<Received> received = TakeReceived();
  ASSERT_EQ(received.size(), std::size(cases));
  for (size_t i = 0; i < received.size(); ++i) EXPECT_EQ(received[i].text, cases[i].expected) << i;
}

TEST(CopyPromptTest, TextsWithinTheCapacityAreCopiedWhole) {
  const std::string texts[] = {"", "Centre your finger", std::string(255, 'z'), "Finger zentrieren \xc3\xa4"};
  for (const std::string& text : texts) {
    char copy[kPromptCapacity];
    CopyPrompt(text.c_str(), copy);
    EXPECT_EQ(std::string(copy), text);
  }
}

// The simulator, told to, asks for the finger from the capturing thread while it is connected.
TEST(SimulatorPromptTest, TheSimulatorSendsItsPromptAsTheCaptureStarts) {
  TakeReceived();
  SetPromptHandler(Keep);
  setenv("VELMORA_SIM_PROMPT", "Centre your finger on the reader", 1);
  setenv("VELMORA_SIM_DELAY_MS", "0", 1);
  std::shared_ptr<PluginParams> params = BindPlugin(FPX_SIMULATOR_SO);
  ASSERT_NE(params, nullptr);
  ASSERT_NE(params->FpxSetPromptSink, nullptr);
  BioUnitImpl unit(params, 1);
  unsigned char* sample = nullptr;
  int32_t size = 0, scratch = 0;
  EXPECT_EQ(unit.Connect(0, 0, 0), 0);
  EXPECT_EQ(unit.SensorCaptureSample(2, 1, &sample, &size, &scratch), 0);
  EXPECT_EQ(unit.Disconnect(), 0);
  unsetenv("VELMORA_SIM_PROMPT");
  unsetenv("VELMORA_SIM_DELAY_MS");
  SetPromptHandler(nullptr);
  std::vector<Received> received = TakeReceived();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].unitId, 1u);
  EXPECT_EQ(received[0].text, "Centre your finger on the reader");
}
