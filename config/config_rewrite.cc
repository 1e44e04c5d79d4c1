// Rewriting the values of a key: the new text is built in memory and replaces the file whole.
#include <stdint.h>
#include <string.h>

#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "config/atomic_replace.h"
#include "config/config_handle.h"
#include "config/config_store.h"

namespace {

// The file's bytes as they are now, NUL bytes included; false when it cannot be read. Read by
// name, not through the handle's stream: another handle may have replaced the file since this one
// opened it, and its change must not be lost. The stream is closed also when the text outgrows
// memory and the append throws.
bool ReadWholeFile(const char* path, std::string* text) {
  std::unique_ptr<FILE, int (*)(FILE*)> stream(fopen(path, "re"), fclose);
  if (!stream) return false;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof(chunk), stream.get())) > 0) text->append(chunk, n);
  return !ferror(stream.get());
}

// A value with a line break would add lines, and so keys, to the file. So would a replaced line
// longer than one piece: the lookups would read its value cut and the rest as a line of its own.
bool IsSafeValue(const char* key, const char* value) {
  return strpbrk(value, "\r\n") == nullptr && strlen(key) + 2 + strlen(value) <= kConfigLineSize - 1;
}

// A line belongs to the key when the text before its first colon is the key, whole.
bool IsLineOfKey(std::string_view line, std::string_view key) {
  if (line.empty() || line[0] == '#') return false;
  size_t colon = line.find(':');
  return colon != std::string_view::npos && line.substr(0, colon) == key;
}

// Builds the new text into `out`: every line of the key replaced, every other line kept byte for
// byte, each ended by a newline. True when a line was replaced.
bool ReplaceKeyLines(std::string_view text, std::string_view key, std::string_view value, std::string* out) {
  bool found = false;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (IsLineOfKey(line, key)) {
      out->append(key).append(": ").append(value);
      found = true;
    } else {
      out->append(line);
    }
    out->push_back('\n');
    start = end + 1;
  }
  return found;
}

int Rewrite(ConfigHandle* handle, const char* key, const char* value) {
  if (!key || !value || !IsSafeValue(key, value) || !handle->filePath || !handle->filePath[0]) return -1;
  std::string text;
  std::string rewritten;
  if (!ReadWholeFile(handle->filePath, &text)) return -1;
  if (!ReplaceKeyLines(text, key, value, &rewritten)) return -1;
  FILE* stream = velmora::config::ReplaceFileAtomically(handle->filePath, rewritten);
  if (!stream) return -1;
  fclose(handle->stream);
  handle->stream = stream;
  return 0;
}

}  // namespace

int ConfigSetValue(ConfigHandle* handle, const char* key, const char* value, int32_t /*length*/) {
  if (!handle || !handle->stream) return -1;
  int result;
  try {
    result = Rewrite(handle, key, value);
  } catch (const std::bad_alloc&) {
    result = -1;
  }
  // Success or not, lookups go on from the end of the file, as after a rewrite.
  fseek(handle->stream, 0, SEEK_END);
  return result;
}

int ConfigSetInt(ConfigHandle* handle, const char* key, int32_t value) {
  char text[20];
  int length = snprintf(text, sizeof(text), "%d", value);
  return ConfigSetValue(handle, key, text, length);
}
