// The value lookups and the key enumeration: one sequential search over pieces of lines.
//
// Nothing here allocates: every buffer is a fixed local one, and the stream's buffer lies in
// the handle.
#include <stdint.h>
#include <string.h>

#include "config/config_handle.h"
#include "config/config_store.h"
#include "config/temporary_name.h"

namespace {

// Drops one newline, then one carriage return, so that CR LF files read like LF files.
void DropLineEnd(char* line) {
  size_t n = strlen(line);
  if (n > 0 && line[n - 1] == '\n') line[--n] = '\0';
  if (n > 0 && line[n - 1] == '\r') line[--n] = '\0';
}

// The value of `line` when it is a key line of `key` ("key: value"), else null.
const char* MatchKey(const char* line, const char* key) {
  if (line[0] == '#') return nullptr;
  size_t n = strlen(key);
  if (strncmp(line, key, n) != 0 || line[n] != ':' || line[n + 1] != ' ') return nullptr;
  return line + n + 2;
}

// Stores `text` cut to the capacity in *length and reports its full length there.
void StoreValue(const char* text, char* value, int* length) {
  size_t full = strlen(text);
  size_t stored = full < static_cast<size_t>(*length) ? full : static_cast<size_t>(*length) - 1;
  memcpy(value, text, stored);
  value[stored] = '\0';
  *length = static_cast<int>(full);
}

// The search behind every value lookup: from the read position to the end of the file and,
// with `wrap`, once more from the start.
int FindValue(ConfigHandle* handle, const char* key, char* value, int* length, bool wrap) {
  if (!handle || !handle->stream || !key || !value || !length || *length < 1) return -1;
  char line[kConfigLineSize];
  for (;;) {
    if (!fgets(line, sizeof(line), handle->stream)) {
      if (!wrap) return -1;
      wrap = false;
      rewind(handle->stream);
      continue;
    }
    DropLineEnd(line);
    const char* text = MatchKey(line, key);
    if (text) {
      StoreValue(text, value, length);
      return 0;
    }
  }
}

// Converts at most the buffer's characters; the limits saturate.
int32_t ParseDecimal(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  constexpr int64_t kBeyond = int64_t{INT32_MAX} + 2;
  int64_t number = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    number = number * 10 + (*text - '0');
    if (number > kBeyond) number = kBeyond;
  }
  if (negative) number = -number;
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(number);
}

// Reads on to the next line that is no comment and holds a colon.
int ReadKey(ConfigHandle* handle, ConfigItem* item) {
  if (!handle || !handle->stream) return -1;
  char line[kConfigLineSize];
  while (fgets(line, sizeof(line), handle->stream)) {
    const char* colon = strchr(line, ':');
    if (line[0] == '#' || !colon) continue;
    size_t n = static_cast<size_t>(colon - line);
    if (n >= sizeof(item->name)) n = sizeof(item->name) - 1;
    memcpy(item->name, line, n);
    item->name[n] = '\0';
    return 0;
  }
  return -1;
}

// The entries that are no stores of their own. A replacement's temporary file that a killed
// process left is a copy of a store, not one.
bool IsSkippedEntry(const char* name) {
  return strcmp(name, "conf") == 0 || strcmp(name, ".") == 0 || strcmp(name, "..") == 0 ||
         velmora::config::IsTemporaryName(name);
}

// Stores the name with its terminator when it fits, else cut to the capacity.
void StoreName(const char* entry, char* name, int* length) {
  size_t full = strlen(entry);
  size_t capacity = static_cast<size_t>(*length);
  size_t n = full < capacity ? full + 1 : capacity;
  memcpy(name, entry, n);
  *length = static_cast<int>(n);
}

}  // namespace

int ConfigGetValue(ConfigHandle* handle, const char* key, char* value, int* length) {
  return FindValue(handle, key, value, length, true);
}

int ConfigGetFirstValue(ConfigHandle* handle, const char* key, char* value, int* length) {
  if (!handle || !handle->stream) return -1;
  rewind(handle->stream);
  return FindValue(handle, key, value, length, false);
}

int ConfigGetNextValue(ConfigHandle* handle, const char* key, char* value, int* length) {
  return FindValue(handle, key, value, length, false);
}

int ConfigGetInt(ConfigHandle* handle, const char* key, int32_t* value) {
  char text[15];
  int length = sizeof(text);
  if (!value || FindValue(handle, key, text, &length, true) != 0) return -1;
  *value = ParseDecimal(text);
  return 0;
}

int ConfigNextEntry(ConfigHandle* handle, char* name, int* length) {
  if (!handle || !handle->dirStream || !name || !length || *length < 1) return -1;
  const dirent* entry;
  do {
    entry = readdir(handle->dirStream);
  } while (entry && IsSkippedEntry(entry->d_name));
  if (!entry) return -1;
  StoreName(entry->d_name, name, length);
  return 0;
}

int ConfigFirstEntry(ConfigHandle* handle, char* name, int* length) {
  if (!handle || !handle->dirStream) return -1;
  rewinddir(handle->dirStream);
  return ConfigNextEntry(handle, name, length);
}

int ConfigFirstKey(ConfigHandle* handle, ConfigItem* item) {
  if (!item) return -1;
  if (handle && handle->stream) rewind(handle->stream);
  int result = ReadKey(handle, item);
  item->kind = 2;
  return result;
}

int ConfigNextKey(ConfigHandle* handle, ConfigItem* item) {
  if (!item) return -1;
  int result = ReadKey(handle, item);
  item->kind = 2;
  return result;
}
