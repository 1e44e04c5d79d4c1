// System-call failures on demand, for the I/O fault tests: a seccomp filter sends the chosen
// system calls of this process to a SIGSYS handler, which counts them and either fails the one
// chosen call with the chosen error, performs every other call itself, kills the process right
// after the chosen call, or replaces a file by renaming another over it right before that call. It can also
// stand in for a file system without unnamed files, and let one kind of call through uncounted.
//
// Test support only, x86-64 only. Install it in a forked child: a filter cannot be taken back, so
// the process carries it until it ends.
#ifndef VELMORA_TESTS_FAULT_SYSCALL_FAULT_H_
#define VELMORA_TESTS_FAULT_SYSCALL_FAULT_H_

#include <stddef.h>

namespace velmora::fault {

// What happens to the chosen call.
enum class SyscallAction {
  kCount,        // nothing: the calls are only counted and logged
  kFail,         // the call returns -1 with `error` (close is made and then fails, as EIO does on Linux)
  kKill,         // the call is made and the process is killed with SIGKILL right after it
  kRenameFirst,  // right before the call, the file named by SyscallFaultRenameFirst is renamed
                 // over the other one, as another process would replace it; then the call is made
};

// False where seccomp filters cannot work (another architecture, a kernel without them).
bool SyscallFaultSupported();

// From now on, the trapped calls of this process (all its threads made after this) are counted
// from 1; call number `at` gets `action`, with `error` for kFail. False when the filter could not
// be installed.
bool SyscallFaultInstall(SyscallAction action, size_t at, int error);

// Makes every open and openat whose flags include O_TMPFILE fail with `error`, as on a file system
// without unnamed files: EOPNOTSUPP where the file system lacks them, EISDIR where the kernel does
// not know the flag (it takes the call for a folder's open). These opens are answered before the
// counting, so the count, the failure and the kill go to the other calls: those of the fallback
// that such a file system makes the code take. Call it before SyscallFaultInstall, in the same
// child; 0, the default, lets the opens through.
void SyscallFaultRefuseUnnamedFiles(int error);

// Lets every call numbered `number` through uncounted, as though it were not trapped: for a call
// that the code under test makes a varying number of times, which would shift the count of every
// later call from one run to the next (mkostemp draws its random bits again, with getrandom, when
// its first draw would make a biased name). Call it before SyscallFaultInstall, in the same child;
// -1, the default, lets none through.
void SyscallFaultLetThrough(int number);

// The two paths of kRenameFirst: `from` is renamed over `to`. The texts must outlive the child's
// run. Call it before SyscallFaultInstall, in the same child or before its fork.
void SyscallFaultRenameFirst(const char* from, const char* to);

// The calls trapped so far, and the system-call number of the i-th (from 1; at most 4096 logged).
size_t SyscallFaultCount();
int SyscallFaultNumber(size_t i);

// Whether the chosen call has been reached.
bool SyscallFaultStruck();

// The name of a trapped system call, for messages ("openat"); "?" for any other number.
const char* SyscallName(int number);

}  // namespace velmora::fault

#endif  // VELMORA_TESTS_FAULT_SYSCALL_FAULT_H_
