#include "tools/plugin_check/capture_thread.h"

#include <stdio.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "units/capture_call.h"

namespace {

// How often AwaitInside looks at the thread.
constexpr std::chrono::milliseconds kLook{2};

}  // namespace

CaptureThread::CaptureThread(BioUnit* unit, bool connectFirst) : m_Shared(std::make_shared<Shared>()) {
  std::thread([shared = m_Shared, unit, connectFirst] {
    if (connectFirst) ConnectForCapture(*unit);
    {
      std::lock_guard lock(shared->lock);
      shared->calling = true;
      shared->thread = gettid();
    }
    shared->changed.notify_all();
    int32_t result = CaptureSample(*unit).status;
    {
      std::lock_guard lock(shared->lock);
      shared->returned = true;
      shared->result = result;
    }
    shared->changed.notify_all();
  }).detach();
}

void CaptureThread::AwaitCaptureCall() {
  std::unique_lock lock(m_Shared->lock);
  m_Shared->changed.wait(lock, [this] { return m_Shared->calling; });
}

void CaptureThread::AwaitInside(std::chrono::milliseconds bound) {
  auto deadline = std::chrono::steady_clock::now() + bound;
  pid_t thread = 0;
  for (;;) {
    {
      std::unique_lock lock(m_Shared->lock);
      if (thread != 0) m_Shared->changed.wait_for(lock, kLook);
      if (m_Shared->returned) return;
      thread = m_Shared->thread;
    }
    // Looked at without the lock: a thread that waits for it is asleep too, but not in the capture.
    if (ThreadSleeps(thread) || std::chrono::steady_clock::now() >= deadline) return;
  }
}

bool CaptureThread::AwaitReturn(std::chrono::milliseconds bound) {
  std::unique_lock lock(m_Shared->lock);
  return m_Shared->changed.wait_for(lock, bound, [this] { return m_Shared->returned; });
}

int32_t CaptureThread::Result() const {
  std::lock_guard lock(m_Shared->lock);
  return m_Shared->result;
}

bool ThreadSleeps(pid_t thread) {
  std::string path = "/proc/self/task/" + std::to_string(thread) + "/stat";
  FILE* file = fopen(path.c_str(), "re");
  if (file == nullptr) return false;
  char line[512];
  bool read = fgets(line, sizeof line, file) != nullptr;
  fclose(file);
  // The state follows the name, which is in parentheses and may hold any character.
  std::string stat = read ? line : "";
  size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return false;
  char state = stat[close + 2];
  return state == 'S' || state == 'D';
}
