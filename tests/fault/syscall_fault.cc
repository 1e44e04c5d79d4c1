#include "tests/fault/syscall_fault.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <vector>

#if defined(__x86_64__)

// The one place from which the handler makes the trapped calls for real. The filter lets a call
// through when it comes from here (its instruction pointer is just behind this `syscall`), so the
// handler never traps itself.
extern "C" long velmora_fault_syscall6(long number, long a1, long a2, long a3, long a4, long a5, long a6);
extern "C" char velmora_fault_after_syscall[];
asm(R"(
  .text
  .globl velmora_fault_syscall6
  .type velmora_fault_syscall6, @function
velmora_fault_syscall6:
  movq %rdi, %rax
  movq %rsi, %rdi
  movq %rdx, %rsi
  movq %rcx, %rdx
  movq %r8, %r10
  movq %r9, %r8
  movq 8(%rsp), %r9
  syscall
  .globl velmora_fault_after_syscall
velmora_fault_after_syscall:
  ret
  .size velmora_fault_syscall6, . - velmora_fault_syscall6
)");

#endif

namespace velmora::fault {

namespace {

// The system calls that a file's replacement or rewrite in place makes, from the reading of the old
// text to the sync of its directory, the copy of its extended attributes included: the ones that
// the filter traps, with their names for messages.
struct Trapped {
  int number;
  const char* name;
};
const Trapped kTrapped[] = {
    {SYS_open, "open"},
    {SYS_openat, "openat"},
    {SYS_read, "read"},
    {SYS_write, "write"},
    {SYS_lseek, "lseek"},
    {SYS_close, "close"},
    {SYS_fstat, "fstat"},
    {SYS_newfstatat, "newfstatat"},
    {SYS_readlink, "readlink"},
    {SYS_fchown, "fchown"},
    {SYS_fchmod, "fchmod"},
    {SYS_ftruncate, "ftruncate"},
    {SYS_fsync, "fsync"},
    {SYS_fdatasync, "fdatasync"},
    {SYS_linkat, "linkat"},
    {SYS_rename, "rename"},
    {SYS_renameat2, "renameat2"},
    {SYS_unlink, "unlink"},
    {SYS_getrandom, "getrandom"},
    {SYS_flistxattr, "flistxattr"},
    {SYS_fgetxattr, "fgetxattr"},
    {SYS_fsetxattr, "fsetxattr"},
    {SYS_fremovexattr, "fremovexattr"},
    {SYS_unlinkat, "unlinkat"},
};
constexpr size_t kTrappedCount = sizeof(kTrapped) / sizeof(kTrapped[0]);

}  // namespace

const char* SyscallName(int number) {
  for (const Trapped& call : kTrapped)
    if (call.number == number) return call.name;
  return "?";
}

#if defined(__x86_64__)
namespace {

constexpr size_t kLogSize = 4096;

// The handler's state: written before the filter goes in, then only by the handler.
SyscallAction g_Action;
size_t g_At;
int g_Error;
volatile size_t g_Count;
int g_Log[kLogSize];
int g_UnnamedError;    // for opens of unnamed files, 0 when they go through
int g_Uncounted = -1;  // the number of the calls let through uncounted
const char* g_RenameFrom;
const char* g_RenameTo;

void Kill() {
  velmora_fault_syscall6(SYS_kill, velmora_fault_syscall6(SYS_getpid, 0, 0, 0, 0, 0, 0), SIGKILL, 0, 0, 0, 0);
}

void RenameFirst() {
  velmora_fault_syscall6(SYS_rename, reinterpret_cast<long>(g_RenameFrom), reinterpret_cast<long>(g_RenameTo),
                         0, 0, 0, 0);
}

long Perform(int number, const greg_t* regs) {
  return velmora_fault_syscall6(number, regs[REG_RDI], regs[REG_RSI], regs[REG_RDX], regs[REG_R10],
                                regs[REG_R8], regs[REG_R9]);
}

bool RefusesUnnamed(int number, const greg_t* regs) {
  if (g_UnnamedError == 0) return false;
  greg_t flags = number == SYS_openat ? regs[REG_RDX] : number == SYS_open ? regs[REG_RSI] : 0;
  return (flags & O_TMPFILE) == O_TMPFILE;
}

// The calls answered before the counting, which are not the test's to fail: the file system under
// test refuses unnamed files, and the call let through is made as though it were not trapped.
bool AnsweredUncounted(int number, greg_t* regs) {
  if (RefusesUnnamed(number, regs)) {
    regs[REG_RAX] = -g_UnnamedError;
  } else if (number == g_Uncounted) {
    regs[REG_RAX] = Perform(number, regs);
  } else {
    return false;
  }
  return true;
}

void OnTrap(int, siginfo_t* info, void* context) {
  greg_t* regs = static_cast<ucontext_t*>(context)->uc_mcontext.gregs;
  int number = info->si_syscall;
  if (AnsweredUncounted(number, regs)) return;
  size_t count = g_Count + 1;
  g_Count = count;
  if (count <= kLogSize) g_Log[count - 1] = number;
  bool chosen = g_Action != SyscallAction::kCount && count == g_At;
  if (chosen && g_Action == SyscallAction::kFail && number != SYS_close) {
    regs[REG_RAX] = -g_Error;
    return;
  }
  if (chosen && g_Action == SyscallAction::kRenameFirst) RenameFirst();
  long result = Perform(number, regs);
  if (chosen && g_Action == SyscallAction::kKill) Kill();
  regs[REG_RAX] = chosen && g_Action == SyscallAction::kFail ? -g_Error : result;
}

// The filter: calls from the handler's own `syscall` pass, the listed ones trap, the rest pass.
std::vector<sock_filter> Filter() {
  uint64_t ip = reinterpret_cast<uint64_t>(velmora_fault_after_syscall);
  auto low = static_cast<uint32_t>(ip), high = static_cast<uint32_t>(ip >> 32);
  std::vector<sock_filter> f = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, instruction_pointer)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, low, 0, 3),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, instruction_pointer) + 4),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, high, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
  };
  for (size_t i = 0; i < kTrappedCount; ++i) {
    // Each test jumps to the trap at the end when it matches.
    auto toTrap = static_cast<uint8_t>(kTrappedCount - i);
    f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(kTrapped[i].number), toTrap, 0));
  }
  f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP));
  return f;
}

}  // namespace

bool SyscallFaultSupported() { return prctl(PR_GET_SECCOMP) >= 0; }

bool SyscallFaultInstall(SyscallAction action, size_t at, int error) {
  g_Action = action;
  g_At = at;
  g_Error = error;
  g_Count = 0;
  struct sigaction trap = {};
  trap.sa_sigaction = OnTrap;
  trap.sa_flags = SA_SIGINFO;
  sigemptyset(&trap.sa_mask);
  if (sigaction(SIGSYS, &trap, nullptr) != 0) return false;
  std::vector<sock_filter> filter = Filter();
  sock_fprog program = {static_cast<unsigned short>(filter.size()), filter.data()};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
  return syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &program) == 0;
}

void SyscallFaultRefuseUnnamedFiles(int error) { g_UnnamedError = error; }
void SyscallFaultLetThrough(int number) { g_Uncounted = number; }
void SyscallFaultRenameFirst(const char* from, const char* to) {
  g_RenameFrom = from;
  g_RenameTo = to;
}
size_t SyscallFaultCount() { return g_Count; }
int SyscallFaultNumber(size_t i) { return i >= 1 && i <= kLogSize ? g_Log[i - 1] : -1; }
bool SyscallFaultStruck() { return g_Action != SyscallAction::kCount && g_Count >= g_At; }

#else

bool SyscallFaultSupported() { return false; }
bool SyscallFaultInstall(SyscallAction, size_t, int) { return false; }
void SyscallFaultRefuseUnnamedFiles(int) {}
void SyscallFaultLetThrough(int) {}
void SyscallFaultRenameFirst(const char*, const char*) {}
size_t SyscallFaultCount() { return 0; }
int SyscallFaultNumber(size_t) { return -1; }
bool SyscallFaultStruck() { return false; }

#endif

}  // namespace velmora::fault
