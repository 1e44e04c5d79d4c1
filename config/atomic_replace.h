// Replacing the whole text of a file so that readers, and the file after a crash, see either the
// old text or the new one, never a part.
//
// Internal to config/. Takes no locks: two processes replacing one file at once each succeed or
// fail on their own, and the last rename wins.
#ifndef VELMORA_CONFIG_ATOMIC_REPLACE_H_
#define VELMORA_CONFIG_ATOMIC_REPLACE_H_

#include <stdio.h>

#include <string_view>

namespace velmora::config {

// The steps of a replacement, in order.
enum class ReplaceStep {
  kCreate,         // the temporary file beside the target, created exclusively
  kCreateUnnamed,  // the same, unnamed; failing here stands for a file system without unnamed files
  kOwner,          // the target's owner and group, where this process may give them
  kMode,           // the target's permission bits
  kWrite,          // the new text
  kFlush,          // out of the stream's buffer
  kSync,           // onto the disk
  kLink,           // an unnamed temporary file gets its name beside the target
  kRename,         // over the target
  kSyncDirectory,  // the new name onto the disk
};

// Test seam: asked before each step; true makes that step fail as its system call could.
using ReplaceProbe = bool (*)(ReplaceStep step);

// Replaces the text of the regular file `path` by `text`. A symbolic link is kept: the file it
// names is replaced, in that file's directory. The new file gets the old one's permission bits
// and, where allowed, its owner and group.
//
// Gives a read/write stream on the new file, positioned at its end; the caller must fclose it.
// Gives null on any failure before the rename; the file is then untouched and no temporary file
// is left. A process killed before the rename leaves the file untouched too, and a temporary file
// only when it dies between the link and the rename, or on a file system without unnamed files. A failure to
// sync the directory comes after the rename has made the new text the file's and cannot undo it, so it still
// gives the stream.
FILE* ReplaceFileAtomically(const char* path, std::string_view text, ReplaceProbe probe = nullptr);

}  // namespace velmora::config

#endif  // VELMORA_CONFIG_ATOMIC_REPLACE_H_
