// Replacing the whole text of a file so that readers, and the file after a crash, see either the
// old text or the new one, never a part.
//
// Internal to config/. Safe from any thread on distinct files. Two processes replacing one file at
// once each succeed or fail on their own, and the last rename wins. The temporary file is locked
// (flock) from its creation to the rename, which tells a later rewrite that it is not stale.
#ifndef VELMORA_CONFIG_ATOMIC_REPLACE_H_
#define VELMORA_CONFIG_ATOMIC_REPLACE_H_

#include <stdio.h>

#include <string_view>

namespace velmora::config {

// Replaces the text of the regular file `path` by `text`, only where the new file is the same file
// to everyone. `file` is a descriptor of the file as the caller opened it (and judged it writable
// and read its text); the caller keeps it. The new file takes that file's owner, group, extended
// attributes (ACLs, security labels, user attributes: exactly its set, nothing that the folder
// would give a new file) and permission bits, and it replaces that file only: `path` must name it
// when the replacement starts and, checked again once the new text is on the disk, right before
// the rename; else the replacement fails with ESTALE. The file must have a single link. A symbolic
// link is kept: the file it names is replaced, in that file's directory.
//
// Gives a read/write stream on the new file, positioned at its end; the caller must fclose it.
// Gives null on any failure before the rename, with errno set; the file is then untouched and no
// temporary file is left. A process killed before the rename leaves the file untouched too, and at
// most one temporary file, hidden beside it (temporary_name.h): only when it dies between the link
// of the unnamed file and the rename, or, on a file system without unnamed files, between the
// creation of the named one and the rename. A failure to sync the directory comes after the rename
// has made the new text the file's and cannot undo it, so it still gives the stream.
//
// These outcomes are tested by failing each of its system calls in turn, by killing the process
// after each and by putting another file under the name before each (tests/fault), with unnamed
// files and without; the replacement has no test hooks.
FILE* ReplaceFileAtomically(const char* path, int file, std::string_view text);

// Whether `error`, the errno of a null from ReplaceFileAtomically, says only that this file cannot
// be replaced so that it stays the same file, while it may still be written through itself: its
// directory refuses a new file (no permission, a read-only mount), its name takes no other file (a
// mount covers it, or the name lies on another mount), the new file may not take its owner, group,
// mode or an extended attribute, or the file has another link. Any other errno is a failure, ESTALE
// (the path names another file by now) among them.
bool CannotReplaceKeepingTheFile(int error);

}  // namespace velmora::config

#endif  // VELMORA_CONFIG_ATOMIC_REPLACE_H_
