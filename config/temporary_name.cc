#include "config/temporary_name.h"

#include <string.h>

namespace velmora::config {
namespace {

bool IsRandomPart(const char* text) {
  for (int i = 0; i < kTemporaryRandomLength; ++i)
    if (!text[i] || !strchr(kTemporaryRandomLetters, text[i])) return false;
  return text[kTemporaryRandomLength] == '\0';
}

// The length of the kept part of the file's name in `name`, or 0 when `name` is no temporary name.
size_t KeptLength(const char* name) {
  size_t length = strlen(name);
  constexpr size_t kFrame = 2 + kTemporaryRandomLength;  // the two full stops and the random part
  if (length <= kFrame || length > kFrame + kTemporaryNameKept || name[0] != '.') return 0;
  const char* dot = name + length - kTemporaryRandomLength - 1;
  return *dot == '.' && IsRandomPart(dot + 1) ? length - kFrame : 0;
}

}  // namespace

bool IsTemporaryName(const char* name) { return KeptLength(name) > 0; }

bool IsTemporaryNameOf(const char* name, const char* fileName) {
  size_t kept = KeptLength(name);
  size_t fileLength = strnlen(fileName, kTemporaryNameKept + 1);
  size_t expected = fileLength < kTemporaryNameKept ? fileLength : kTemporaryNameKept;
  return kept > 0 && kept == expected && memcmp(name + 1, fileName, kept) == 0;
}

}  // namespace velmora::config
