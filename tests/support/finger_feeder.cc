// The finger on libfprint's virtual reader (finger_feeder.h).
#include "tests/support/finger_feeder.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

#include "tests/support/ridge_image.h"
#include "tests/support/virtual_reader.h"

namespace velmora::test {
namespace {}  // namespace

FingerFeeder::FingerFeeder(const std::string& socketPath)
    : m_Socket(socketPath), m_Stop(eventfd(0, EFD_CLOEXEC)) {
  int ends[2];
  if (m_Stop < 0 || pipe(ends) != 0) throw std::runtime_error(std::string("pipe: ") + strerror(errno));
  m_LogRead = ends[0];
  m_LogWrite = ends[1];
  fcntl(m_LogRead, F_SETFD, FD_CLOEXEC);
  m_Thread = std::thread([this] { Run(); });
}

FingerFeeder::~FingerFeeder() {
  uint64_t one = 1;
  if (write(m_Stop, &one, sizeof one) != sizeof one) perror("write: eventfd");
  m_Thread.join();
  close(m_LogRead);
  close(m_LogWrite);
  close(m_Stop);
}

void FingerFeeder::Run() {
  std::string pending;
  for (;;) {
    pollfd fds[2] = {{m_LogRead, POLLIN, 0}, {m_Stop, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    char chunk[4096];
    ssize_t n = read(m_LogRead, chunk, sizeof chunk);
    if (n <= 0) continue;
    pending.append(chunk, static_cast<size_t>(n));
    TakeLines(pending);
  }
}

void FingerFeeder::TakeLines(std::string& pending) {
  static const std::vector<uint8_t> kPrint = RidgeImage(kPrintWidth, kPrintHeight);
  for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
    std::string line = pending.substr(0, end);
    if (line.find("-DEBUG: ") == std::string::npos) fprintf(stderr, "%s\n", line.c_str());
    if (line.find(kAwaitFingerLine) == std::string::npos) continue;
    try {
      m_Reader.reset();
      m_Reader = std::make_unique<VirtualReader>(m_Socket);
      m_Reader->SendImage(kPrintWidth, kPrintHeight, kPrint);
      ++m_Sent;
    } catch (const std::runtime_error& error) {
      fprintf(stderr, "finger feeder: %s\n", error.what());
    }
  }
}

}  // namespace velmora::test
