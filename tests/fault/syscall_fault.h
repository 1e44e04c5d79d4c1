// System-call failures on demand, for the I/O fault tests: a seccomp filter sends the chosen
// system calls of this process to a SIGSYS handler, which counts them and either fails the one
// chosen call with the chosen error, performs every other call itself, or kills the process right
// after the chosen call.
//
// Test support only, x86-64 only. Install it in a forked child: a filter cannot be taken back, so
// the process carries it until it ends.
#ifndef VELMORA_TESTS_FAULT_SYSCALL_FAULT_H_
#define VELMORA_TESTS_FAULT_SYSCALL_FAULT_H_

#include <stddef.h>

namespace velmora::fault {

// What happens to the chosen call.
enum class SyscallAction {
  kCount,  // nothing: the calls are only counted and logged
  kFail,   // the call returns -1 with `error` (close is made and then fails, as EIO does on Linux)
  kKill,   // the call is made and the process is killed with SIGKILL right after it
};

// False where seccomp filters cannot work (another architecture, a kernel without them).
bool SyscallFaultSupported();

// From now on, the trapped calls of this process (all its threads made after this) are counted
// from 1; call number `at` gets `action`, with `error` for kFail. False when the filter could not
// be installed.
bool SyscallFaultInstall(SyscallAction action, size_t at, int error);

// The calls trapped so far, and the system-call number of the i-th (from 1; at most 4096 logged).
size_t SyscallFaultCount();
int SyscallFaultNumber(size_t i);

// Whether the chosen call has been reached.
bool SyscallFaultStruck();

// The name of a trapped system call, for messages ("openat"); "?" for any other number.
const char* SyscallName(int number);

}  // namespace velmora::fault

#endif  // VELMORA_TESTS_FAULT_SYSCALL_FAULT_H_
