#include "capture/thread_ops.h"

bool StartThread(pthread_t* handle, unsigned flags, ThreadEntry entry, void* argument) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  int detachState = (flags & kThreadDetached) ? PTHREAD_CREATE_DETACHED : PTHREAD_CREATE_JOINABLE;
  bool started = pthread_attr_setdetachstate(&attributes, detachState) == 0 &&
                 pthread_create(handle, &attributes, entry, argument) == 0;
  pthread_attr_destroy(&attributes);
  return started;
}

bool CancelThread(pthread_t handle) { return pthread_cancel(handle) == 0; }

bool JoinThread(pthread_t handle, void** result) { return pthread_join(handle, result) == 0; }

void ExitThread(void* result) { pthread_exit(result); }
