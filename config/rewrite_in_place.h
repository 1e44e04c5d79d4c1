// Rewriting a file's text through the file itself, for where a new file put in its place would
// not be the same file to everyone: it would lose the file's owner, group, extended attributes or
// other links, or its folder refuses new files (a read-only mount), or its name another file (a
// mount over it).
//
// Internal to config/. Not atomic: from the first write to the truncation the file holds part of
// the new text and part of the old, and a failure or a crash in between leaves it so. Takes no
// locks.
#ifndef VELMORA_CONFIG_REWRITE_IN_PLACE_H_
#define VELMORA_CONFIG_REWRITE_IN_PLACE_H_

#include <stdio.h>

#include <string_view>

namespace velmora::config {

// Writes `text` over `file`, a read/write stream on the file, from its start, cuts the file to
// the text's length and syncs it to the disk. Takes `file` over: gives it back positioned at the
// end of the new text, or closes it and gives null when a step failed. A failure before the
// first write leaves the file as it was; a later one may leave it with part of the new text.
FILE* RewriteInPlace(FILE* file, std::string_view text);

}  // namespace velmora::config

#endif  // VELMORA_CONFIG_REWRITE_IN_PLACE_H_
