#include "ui/main_thread_mail.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <atomic>

namespace {

// Records of one fixed size, each written whole by one write (at most PIPE_BUF bytes), so writers
// on several threads never interleave and every read takes exactly one record.
struct MailRecord {
  MailKind kind;
  char text[256];
};
static_assert(sizeof(MailRecord) <= PIPE_BUF, "a record is written atomically");

std::atomic<int> g_WriteFd{-1};
std::atomic<bool> g_EndRequested{false};
MailReceiver g_Receiver = nullptr;  // main thread only

gboolean OnMail(gint fd, GIOCondition /*condition*/, gpointer /*data*/) {
  MailRecord record;
  while (read(fd, &record, sizeof record) == static_cast<ssize_t>(sizeof record))
    if (record.kind != MailKind::kEndLoop) g_Receiver(record.kind, record.text);
  if (g_EndRequested.exchange(false)) g_Receiver(MailKind::kEndLoop, "");
  return G_SOURCE_CONTINUE;
}

void Write(const MailRecord& record) {
  int fd = g_WriteFd.load();
  if (fd == -1) return;
  ssize_t written = write(fd, &record, sizeof record);
  (void)written;  // a full pipe drops the record; see PostEndLoop for the one that must not go
}

}  // namespace

// The source runs at the priority of events rather than of idle work: after the capture the
// window is about to go, so the loop ends without first repainting it.
bool WatchMainThreadMail(MailReceiver receiver) {
  g_Receiver = receiver;
  if (g_WriteFd.load() != -1) return true;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == -1) {
    perror("pipe2");
    return false;
  }
  g_unix_fd_add_full(G_PRIORITY_DEFAULT, fds[0], G_IO_IN, OnMail, nullptr, nullptr);
  g_WriteFd.store(fds[1]);
  return true;
}

void PostEndLoop() {
  g_EndRequested.store(true);
  PostMail(MailKind::kEndLoop, nullptr);
}

void PostMail(MailKind kind, const char* text) {
  MailRecord record = {kind, {}};
  if (text) strncpy(record.text, text, sizeof record.text - 1);
  Write(record);
}
