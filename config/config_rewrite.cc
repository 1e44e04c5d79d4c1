// Rewriting the values of a key: the new text is built in memory and replaces the file whole, by a
// new file where that keeps the file as it is to everyone, else through the file itself.
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <string.h>
#include <unistd.h>

#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "config/atomic_replace.h"
#include "config/config_handle.h"
#include "config/config_store.h"
#include "config/regular_file.h"
#include "config/rewrite_in_place.h"
#include "config/stale_temporaries.h"

namespace {

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

// The file that the handle's path names now, for reading and writing. Opened by name, not through
// the handle's stream: another handle may have replaced the file since this one opened it, and its
// change must not be lost. Opening it for writing is the permission check: a file that this
// process may not write is refused, whatever its folder allows.
File OpenForRewrite(const char* path) {
  File file(nullptr, fclose);
  int fd = velmora::config::OpenRegularFile(path, O_RDWR);
  if (fd < 0) return file;
  file.reset(fdopen(fd, "r+"));
  if (!file) close(fd);
  return file;
}

// The file's bytes as they are now, NUL bytes included; false when it cannot be read.
bool ReadWholeFile(FILE* file, std::string* text) {
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof(chunk), file)) > 0) text->append(chunk, n);
  return !ferror(file);
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

// A new file in the old one's place where it keeps the owner, the mode, the attributes and the
// links; else the old file rewritten through `file`, which then becomes the stream that is given.
FILE* WriteNewText(const char* path, const std::string& text, File* file) {
  FILE* stream = velmora::config::ReplaceFileAtomically(path, fileno(file->get()), text);
  if (stream || !velmora::config::CannotReplaceKeepingTheFile(errno)) return stream;
  return velmora::config::RewriteInPlace(file->release(), text);
}

int Rewrite(ConfigHandle* handle, const char* key, const char* value) {
  if (!key || !value || !IsSafeValue(key, value) || !handle->filePath || !handle->filePath[0]) return -1;
  File file = OpenForRewrite(handle->filePath);
  std::string text;
  std::string rewritten;
  if (!file || !ReadWholeFile(file.get(), &text)) return -1;
  if (!ReplaceKeyLines(text, key, value, &rewritten)) return -1;
  FILE* stream = WriteNewText(handle->filePath, rewritten, &file);
  if (!stream) return -1;
  // Now that no temporary file of this rewrite is left, the ones that killed rewrites left can go.
  velmora::config::RemoveStaleTemporaries(handle->filePath);
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
