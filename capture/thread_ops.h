// Thin thread operations over POSIX threads: true on success, false on failure.
//
// Thread rules: any thread may call them; the handle of a detached thread must not be joined.
#ifndef VELMORA_CAPTURE_THREAD_OPS_H_
#define VELMORA_CAPTURE_THREAD_OPS_H_

#include <pthread.h>

using ThreadEntry = void* (*)(void*);

// Bit 0 of the flag word of StartThread: set for a detached thread, clear for a joinable one.
constexpr unsigned kThreadDetached = 1;

// Starts `entry(argument)` with default attributes and the detach state taken from bit 0 of
// `flags`. Stores the handle in *handle. False when the attributes cannot be set up or the thread
// cannot be created; nothing runs then.
bool StartThread(pthread_t* handle, unsigned flags, ThreadEntry entry, void* argument);

// Sends a cancellation request to a thread.
bool CancelThread(pthread_t handle);

// Waits for a joinable thread to end and stores its result (PTHREAD_CANCELED when it was
// cancelled) in *result, which may be null.
bool JoinThread(pthread_t handle, void** result);

// Ends the calling thread with `result`.
[[noreturn]] void ExitThread(void* result);

#endif  // VELMORA_CAPTURE_THREAD_OPS_H_
