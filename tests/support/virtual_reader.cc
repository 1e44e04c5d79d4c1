// The virtual reader's client and the log watch (virtual_reader.h).
#include "tests/support/virtual_reader.h"

#include <glib.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string_view>

namespace velmora::test {
namespace {

std::mutex g_waitsLock;
std::condition_variable g_waitsChanged;
int g_waits = 0;

std::mutex g_holdLock;
std::string g_holdPart;
std::function<void()> g_hold;

// Runs the hold when `text` holds its part; the lock is not held while it runs.
void RunHold(std::string_view text) {
  std::function<void()> hold;
  {
    std::lock_guard lock(g_holdLock);
    if (g_hold && text.find(g_holdPart) != std::string_view::npos) hold = g_hold;
  }
  if (hold) hold();
}

// Counts the device's state changes into "awaiting a finger"; swallows debug lines, passes the rest.
GLogWriterOutput WatchLog(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
  for (gsize i = 0; i < count; ++i) {
    if (strcmp(fields[i].key, "MESSAGE") != 0) continue;
    const char* value = static_cast<const char*>(fields[i].value);
    std::string_view text =
        fields[i].length < 0 ? std::string_view(value) : std::string_view(value, fields[i].length);
    RunHold(text);
    if (text.find(kAwaitFingerLine) == std::string_view::npos) continue;
    std::lock_guard lock(g_waitsLock);
    ++g_waits;
    g_waitsChanged.notify_all();
  }
  if (level & G_LOG_LEVEL_DEBUG) return G_LOG_WRITER_HANDLED;
  return g_log_writer_default(level, fields, count, data);
}

std::string Setup() {
  char folder[] = "/tmp/velmora-fprint-test.XXXXXX";
  if (mkdtemp(folder) == nullptr) throw std::runtime_error("mkdtemp failed");
  std::string socketPath = std::string(folder) + "/reader.sock";
  setenv("FP_DRIVERS_WHITELIST", "virtual_image", 1);
  setenv("FP_VIRTUAL_IMAGE", socketPath.c_str(), 1);
  setenv("G_MESSAGES_DEBUG", "all", 1);
  g_log_set_writer_func(WatchLog, nullptr, nullptr);
  return socketPath;
}

// Removes the socket's folder at process exit.
struct SocketFolder {
  std::string m_Socket = Setup();
  ~SocketFolder() {
    unlink(m_Socket.c_str());
    rmdir(m_Socket.substr(0, m_Socket.rfind('/')).c_str());
  }
};

}  // namespace

const std::string& UseVirtualReader() {
  static SocketFolder folder;
  return folder.m_Socket;
}

int FingerWaits() {
  std::lock_guard lock(g_waitsLock);
  return g_waits;
}

void AwaitFingerWait(int seen) {
  std::unique_lock lock(g_waitsLock);
  g_waitsChanged.wait(lock, [seen] { return g_waits > seen; });
}

void HoldOnLogLine(const std::string& part, std::function<void()> hold) {
  std::lock_guard lock(g_holdLock);
  g_holdPart = part;
  g_hold = std::move(hold);
}

VirtualReader::VirtualReader(const std::string& socketPath)
    : m_Fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  if (m_Fd < 0 || connect(m_Fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (m_Fd >= 0) close(m_Fd);
    throw std::runtime_error("cannot connect to " + socketPath + ": " + strerror(errno));
  }
}

VirtualReader::~VirtualReader() { close(m_Fd); }

void VirtualReader::Send(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = send(m_Fd, bytes, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::runtime_error(std::string("send: ") + strerror(errno));
    bytes += n;
    size -= static_cast<size_t>(n);
  }
}

void VirtualReader::SendImage(int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
  int32_t header[2] = {width, height};
  Send(header, sizeof header);
  Send(pixels.data(), pixels.size());
}

void VirtualReader::SendCode(int32_t kind, int32_t code) {
  int32_t message[2] = {kind, code};
  Send(message, sizeof message);
}

bool VirtualReader::AwaitClosed(int milliseconds) {
  pollfd watch{m_Fd, POLLIN, 0};
  int ready;
  do ready = poll(&watch, 1, milliseconds);
  while (ready < 0 && errno == EINTR);
  return ready > 0;
}

}  // namespace velmora::test
