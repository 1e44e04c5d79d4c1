// The configuration store: a small key/value store over plain text files.
//
// A store is a plain text file, or a directory whose own settings lie in a file "conf" inside it;
// the other entries of such a directory are stores of their own and can be listed. One key per
// line, "Key: value". Every operation gives 0 for success and -1 for failure; the opens give a
// handle or null. The store prints nothing and keeps no global state.
//
// Thread rules: a handle is used by one thread at a time. Lookups and enumerations allocate
// nothing; only the opens and the rewrites do.
#ifndef VELMORA_CONFIG_CONFIG_STORE_H_
#define VELMORA_CONFIG_CONFIG_STORE_H_

#include <stdint.h>

struct ConfigHandle;  // opaque

// One key line of a settings file, as the key enumeration gives it.
struct ConfigItem {
  char name[256];  // the text before the first colon, cut to 255 characters
  int32_t kind;    // always 2
};

// Writes into `out` (of `capacity` bytes) the path that the opens use for `path`: `path` itself when
// it is absolute, else `path` below $QX_PATH (when set, even to an empty text) or below the
// configuration root (kConfigRoot of install_paths.h). 0, or -1 when it does not fit or an argument is
// missing. Whoever examines the files of a store beside the store itself must resolve its path the same way.
int ConfigResolvePath(const char* path, char* out, int capacity);

// Opens the store at `path`; a relative path is resolved below $QX_PATH (when set, even to an
// empty text) or below the configuration root. Gives null when the path does not exist, when a directory
// has no readable "conf" file, when the file cannot be read or is no regular file (a FIFO, a
// device, a directory), or when the resolved path (or the "conf" path) does not fit 4096 bytes. The caller
// must ConfigClose it.
ConfigHandle* ConfigOpen(const char* path);

// As ConfigOpen, but gives null unless the settings file's mode has the owner-write bit (0200).
// Only the bit is checked, not whether this process may really write the file.
ConfigHandle* ConfigOpenWritable(const char* path);

// Releases the handle and its streams. -1 for no handle or when closing a stream failed.
int ConfigClose(ConfigHandle* handle);

// The value lookups. `length` is the capacity of `value` on the way in (at least 1) and the
// value's full length, without the terminator, on the way out; a longer value is stored cut to
// capacity - 1 characters and terminated. 0 found, -1 not found (buffer and length untouched).
//
// ConfigGetValue searches from the read position and wraps once to the start of the file;
// ConfigGetFirstValue searches from the start; ConfigGetNextValue from the read position, no wrap.
// A found line leaves the read position just behind it, a failed search at the end of the file.
int ConfigGetValue(ConfigHandle* handle, const char* key, char* value, int* length);
int ConfigGetFirstValue(ConfigHandle* handle, const char* key, char* value, int* length);
int ConfigGetNextValue(ConfigHandle* handle, const char* key, char* value, int* length);

// As ConfigGetValue, then converts at most 14 characters of the value as a signed decimal number
// (saturating at the 32-bit limits; no digits give 0). -1 leaves *value unchanged.
int ConfigGetInt(ConfigHandle* handle, const char* key, int32_t* value);

// The entry enumeration of a directory store: every name but "conf", "." and "..", and but the
// temporary names of a rewrite (".<name>.XXXXXX", six letters or digits), which a rewrite killed
// before its end can leave; in directory order. Other names that begin with a full stop are given. `length`
// is the capacity on the way in and the bytes stored, terminator included, on the way out; a name that does
// not fit is stored cut to the capacity, unterminated. ConfigFirstEntry rewinds first. -1 when the store is
// no directory or no entry is left.
int ConfigFirstEntry(ConfigHandle* handle, char* name, int* length);
int ConfigNextEntry(ConfigHandle* handle, char* name, int* length);

// The key enumeration: every line that is no comment and holds a colon. ConfigFirstKey starts at
// the top of the file, ConfigNextKey after the read position, which it shares with the lookups.
// Both store 2 in item->kind, also when they give -1 (no key left; item->name is then unchanged).
int ConfigFirstKey(ConfigHandle* handle, ConfigItem* item);
int ConfigNextKey(ConfigHandle* handle, ConfigItem* item);

// Replaces the value of every line of `key` (the text before the first colon, whole) by
// "key: value"; other lines keep their bytes. `length` does not limit what is written. Only a file
// that this process may open for writing is rewritten, whatever its folder allows; what the path
// names by now is read anew, so changes made through other handles are kept, and when that is no
// regular file (a FIFO, a device) the rewrite gives -1 at once. A symbolic link stays a link; the
// file it names is rewritten. The file keeps its owner, group, mode, extended attributes (ACLs,
// security labels, user attributes) and links:
// - Where a new file in the same folder can take the file's place as the same file to everyone
//   (the folder takes a new file, which may be given the owner, group, mode and every attribute,
//   the name is no mount point, and the file has no other link), the file is replaced atomically:
//   on any failure it is left exactly as it was and the handle keeps its stream. Only the file
//   that was read is replaced: should another file take its name meanwhile, the rewrite gives -1
//   and leaves that one as it is.
// - Otherwise it is rewritten in place, through the file itself. That is not atomic: a failure or
//   a crash during the writing can leave the file with part of the new text. A failure still gives
//   -1, and the handle keeps its stream.
// Refused: a value holding a newline or a carriage return, a replaced line ("key: value") longer
// than the 1023 bytes that the lookups read in one piece, and a handle whose path copy failed at
// the open. A rewrite also removes the temporary files of its file that killed rewrites left.
// 0 when at least one line was replaced; -1 otherwise, also when the key is missing
// (nothing is appended, nothing is rewritten). Afterwards the handle's stream reads and writes the
// file and its read position is at the end of the file.
int ConfigSetValue(ConfigHandle* handle, const char* key, const char* value, int32_t length);

// ConfigSetValue with the value in decimal.
int ConfigSetInt(ConfigHandle* handle, const char* key, int32_t value);

#endif  // VELMORA_CONFIG_CONFIG_STORE_H_
