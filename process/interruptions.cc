#include "process/interruptions.h"

#include <initializer_list>

Interruptions BlockInterruptions() {
  Interruptions interruptions;
  sigemptyset(&interruptions.taken);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interruptions.taken, signal);
  sigprocmask(SIG_BLOCK, &interruptions.taken, &interruptions.former);
  return interruptions;
}

void RaiseInterruption(int signal) {
  ::signal(signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
}
