/*
 * Forging plug-ins for velmora-plugin-check's tests: fpx_broken_plugin.c with this file, acting in
 * FpxFree(NULL) and so in the check free-null. A plug-in runs in the check's child and inherits the
 * pipe on which the child reports to the checker; these write into it what only the checker's own
 * code should write, or leave a process behind. One flag per library:
 *
 *   TF_RESULT_79   a verdict whose result byte is 'O' (79); then the child ends with status 0
 *   TF_PASS_CRASH  a passing verdict; then a segmentation fault
 *   TF_UNOPENABLE  a verdict that the library cannot be opened; then the child ends with status 0
 *   TF_FLOOD       steps without end
 *   TF_FLOOD_LONG  the start of a step of 4294967280 bytes, and bytes without end
 *   TF_SESSION     a process in a session of its own that locks the file that VELMORA_TF_LOCK names,
 *                  writes its id into it and waits for ever; FpxFree returns once the lock is held
 *
 * The channel is found as the checker leaves it to the child: the one pipe above standard error
 * that is open for writing only and closes on exec. A message is a kind byte ('S' step, 'V'
 * verdict), the payload's length as a native 32-bit value, and the payload; a verdict's payload
 * is the result ('0' pass to '3' fail), '1' when the library cannot be opened, and the detail.
 */
#include "tb_forgery.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#if !defined(TF_SESSION)
static int ChannelFd(void) {
  for (int fd = 3; fd < 1024; ++fd) {
    struct stat status;
    int mode = fcntl(fd, F_GETFL), flags = fcntl(fd, F_GETFD);
    if (mode < 0 || flags < 0 || fstat(fd, &status) != 0) continue;
    if (S_ISFIFO(status.st_mode) && (mode & O_ACCMODE) == O_WRONLY && (flags & FD_CLOEXEC)) return fd;
  }
  return -1;
}
#endif

#if !defined(TF_SESSION) && !defined(TF_FLOOD_LONG)
/* The message in `out`; its size. */
static size_t Message(char kind, const char* payload, char* out, size_t room) {
  uint32_t length = (uint32_t)strlen(payload);
  if (1 + sizeof length + length > room) abort();
  out[0] = kind;
  memcpy(out + 1, &length, sizeof length);
  memcpy(out + 1 + sizeof length, payload, length);
  return 1 + sizeof length + length;
}
#endif

#if defined(TF_RESULT_79) || defined(TF_PASS_CRASH) || defined(TF_UNOPENABLE)
static void Send(char kind, const char* payload) {
  char message[256];
  size_t size = Message(kind, payload, message, sizeof message);
  if (write(ChannelFd(), message, size) != (ssize_t)size) abort();
}
#endif

#if defined(TF_RESULT_79)
int32_t TbForge(void) {
  Send('V', "O0forged");
  _exit(0);
}

#elif defined(TF_PASS_CRASH)
int32_t TbForge(void) {
  Send('V', "00forged pass");
  raise(SIGSEGV);
  return 0;
}

#elif defined(TF_UNOPENABLE)
int32_t TbForge(void) {
  Send('V', "31forged: cannot open the library");
  _exit(0);
}

#elif defined(TF_FLOOD)
/* Steps written many at a time, as fast as the pipe takes them. */
int32_t TbForge(void) {
  char message[64], batch[4096];
  size_t size = Message('S', "flood", message, sizeof message), filled = 0;
  for (; filled + size <= sizeof batch; filled += size) memcpy(batch + filled, message, size);
  int fd = ChannelFd();
  while (write(fd, batch, filled) == (ssize_t)filled) {
  }
  abort();
}

#elif defined(TF_FLOOD_LONG)
int32_t TbForge(void) {
  char header[5] = {'S'}, batch[4096];
  uint32_t length = 0xfffffff0u;
  memcpy(header + 1, &length, sizeof length);
  memset(batch, 'f', sizeof batch);
  int fd = ChannelFd();
  if (write(fd, header, sizeof header) != (ssize_t)sizeof header) abort();
  while (write(fd, batch, sizeof batch) == (ssize_t)sizeof batch) {
  }
  abort();
}

#elif defined(TF_SESSION)
/* In the new session: the lock, the id, then word to the parent that both are there. */
static void Linger(int ready) {
  setsid();
  const char* path = getenv("VELMORA_TF_LOCK");
  int fd = path != NULL ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
  if (fd < 0 || flock(fd, LOCK_EX) != 0 || dprintf(fd, "%d\n", (int)getpid()) <= 0) _exit(1);
  if (write(ready, "r", 1) != 1) _exit(1);
  for (;;) pause();
}

int32_t TbForge(void) {
  int ready[2];
  if (pipe(ready) != 0) return 1;
  pid_t pid = fork();
  if (pid == 0) Linger(ready[1]);
  close(ready[1]);
  char byte;
  ssize_t got = pid > 0 ? read(ready[0], &byte, 1) : -1;
  close(ready[0]);
  return got == 1 ? 0 : 1;
}

#else
#error "a forging plug-in needs one TF_ flag"
#endif
