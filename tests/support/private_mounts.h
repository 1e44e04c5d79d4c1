// Fresh, empty tmpfs mounts over machine-wide folders (/tmp, /dev/shm) in a private mount
// namespace, so that a test may fill them as other users would without touching the machine's.
//
// Test support only. Call it in a forked child (RunInChild), as root: the child's mounts go with
// it, and the test process keeps the machine's folders.
#ifndef VELMORA_TESTS_SUPPORT_PRIVATE_MOUNTS_H_
#define VELMORA_TESTS_SUPPORT_PRIVATE_MOUNTS_H_

#include <sched.h>
#include <sys/mount.h>

#include <initializer_list>

namespace velmora::test {

// Moves the calling process into a mount namespace of its own and mounts an empty tmpfs
// (mode 1777, as the machine's) on each of `folders`. False when any step fails.
inline bool MountPrivateTmpfs(std::initializer_list<const char*> folders) {
  if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    return false;
  for (const char* folder : folders)
    if (mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") != 0) return false;
  return true;
}

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_PRIVATE_MOUNTS_H_
