// The names of the temporary files that a replacement makes beside a file: ".<name>.XXXXXX", the
// file's name cut to 200 bytes and six random letters or digits. A process killed while such a
// file has its name leaves it behind; the entry enumeration passes over these names and a rewrite
// of the file removes those that no process still writes.
//
// Internal to config/. Keeps no state; safe from any thread.
#ifndef VELMORA_CONFIG_TEMPORARY_NAME_H_
#define VELMORA_CONFIG_TEMPORARY_NAME_H_

namespace velmora::config {

// How much of the file's name a temporary name keeps: with the two full stops and the six random
// characters it stays below the 255 bytes of a name.
constexpr int kTemporaryNameKept = 200;

// The random part's length, and the characters it is made of.
constexpr int kTemporaryRandomLength = 6;
inline constexpr char kTemporaryRandomLetters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Whether `name` is the temporary name of some file: a full stop, 1 to 200 bytes, a full stop and
// six letters or digits. Other names that begin with a full stop are not.
bool IsTemporaryName(const char* name);

// Whether `name` is a temporary name of the file named `fileName` (a name, not a path).
bool IsTemporaryNameOf(const char* name, const char* fileName);

}  // namespace velmora::config

#endif  // VELMORA_CONFIG_TEMPORARY_NAME_H_
