// The gate on opening files (open_gate.h).
#include "tests/support/open_gate.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/fanotify.h>
#include <unistd.h>

#include <stdexcept>

namespace velmora::test {

OpenGate::OpenGate(const std::string& folder)
    : m_Fd(fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY)) {
  if (m_Fd < 0) throw std::runtime_error(std::string("fanotify_init: ") + strerror(errno));
  if (fanotify_mark(m_Fd, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_EVENT_ON_CHILD, AT_FDCWD, folder.c_str()) != 0) {
    int error = errno;
    close(m_Fd);
    throw std::runtime_error(std::string("fanotify_mark: ") + strerror(error));
  }
}

OpenGate::~OpenGate() { Release(); }

void OpenGate::AwaitOpen() {
  fanotify_event_metadata event{};
  ssize_t n;
  while ((n = read(m_Fd, &event, sizeof event)) < 0 && errno == EINTR) {
  }
  if (n < static_cast<ssize_t>(sizeof event)) throw std::runtime_error("fanotify: no event");
  m_Held = event.fd;
}

void OpenGate::Release() {
  if (m_Fd < 0) return;
  if (m_Held >= 0) {
    fanotify_response response{m_Held, FAN_ALLOW};
    if (write(m_Fd, &response, sizeof response) < 0) perror("fanotify response");
    close(m_Held);
    m_Held = -1;
  }
  close(m_Fd);  // lets any later open through
  m_Fd = -1;
}

}  // namespace velmora::test
