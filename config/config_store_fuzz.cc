// Fuzz target for the configuration store: the input becomes a directory store's "conf" file, a
// key and a value; every lookup and enumeration is checked against a plain model of the line rules,
// and a rewrite must keep every other line byte for byte or, when it fails, the whole file.
//
// Build (clang only; the target is made only with the option on):
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVELMORA_FUZZ=ON
//   ninja -C build-fuzz config_store_fuzz
// Run (a corpus folder to grow, then the committed seeds):
//   mkdir -p /tmp/corpus && build-fuzz/config/config_store_fuzz -max_len=4096 /tmp/corpus config/fuzz_corpus
// scripts/fuzz-smoke [SECONDS] does both for a bounded time. A fault aborts with the input saved
// as crash-*; rerun it with build-fuzz/config/config_store_fuzz crash-*.
//
// Input layout: byte 0 picks the key (high bit set: one of the file's own keys, by the low bits;
// else the low 6 bits give the length of a key taken from the input), bytes 1-2 the value's length,
// byte 3 the lookup capacity; then the key, the value, and the rest is the file.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "config/config_store.h"

namespace {

// Stops the run with the failed invariant; libFuzzer saves the input.
void Check(bool condition, const char* what) {
  if (condition) return;
  fprintf(stderr, "invariant failed: %s\n", what);
  abort();
}

// One piece as the lookups read it: at most 1023 bytes, ending after a newline.
std::vector<std::string> Pieces(const std::string& text) {
  std::vector<std::string> pieces;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    end = std::min(end, start + 1023);
    pieces.push_back(text.substr(start, end - start));
    start = end;
  }
  return pieces;
}

// The piece's text up to a NUL, without one newline and then one carriage return.
std::string LineText(const std::string& piece) {
  std::string text = piece.substr(0, piece.find('\0'));
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

// Every value the lookups may find for `key`, in file order.
std::vector<std::string> ModelValues(const std::string& text, const std::string& key) {
  std::vector<std::string> values;
  std::string prefix = key + ": ";
  for (const std::string& piece : Pieces(text)) {
    std::string line = LineText(piece);
    if (line[0] != '#' && line.compare(0, prefix.size(), prefix) == 0)
      values.push_back(line.substr(prefix.size()));
  }
  return values;
}

// Every key the key enumeration lists, cut to 255 characters.
std::vector<std::string> ModelKeys(const std::string& text) {
  std::vector<std::string> keys;
  for (const std::string& piece : Pieces(text)) {
    std::string line = piece.substr(0, piece.find('\0'));
    size_t colon = line.find(':');
    if (!line.empty() && line[0] != '#' && colon != std::string::npos)
      keys.push_back(line.substr(0, std::min<size_t>(colon, 255)));
  }
  return keys;
}

// The decimal conversion of the first 14 characters, saturated to 32 bits.
int32_t ModelInt(const std::string& value) {
  long long number = strtoll(value.substr(0, 14).c_str(), nullptr, 10);
  return static_cast<int32_t>(std::clamp<long long>(number, INT32_MIN, INT32_MAX));
}

// The lines of the rewrite's walk: split at newlines, a last unterminated line counted.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool IsLineOfKey(const std::string& line, const std::string& key) {
  size_t colon = line.find(':');
  return !line.empty() && line[0] != '#' && colon != std::string::npos && line.compare(0, colon, key) == 0 &&
         colon == key.size();
}

// One lookup through `lookup`; checks the cut and the reported length against `expected`.
bool LookUp(ConfigHandle* h, int (*lookup)(ConfigHandle*, const char*, char*, int*), const std::string& key,
            int capacity, const std::string* expected) {
  std::vector<char> value(capacity + 1, '\x7f');
  int length = capacity;
  int result = lookup(h, key.c_str(), value.data(), &length);
  Check(result == (expected ? 0 : -1), "lookup result");
  Check(value[capacity] == '\x7f', "lookup wrote past the capacity");
  if (!expected) return false;
  Check(length == static_cast<int>(expected->size()), "lookup length");
  Check(value.data() == expected->substr(0, capacity - 1), "lookup value");
  return true;
}

// The lookups walk the key's values in order, stop at the end and wrap once.
void CheckLookups(ConfigHandle* h, const std::string& text, const std::string& key, int capacity) {
  std::vector<std::string> values = ModelValues(text, key);
  const std::string* first = values.empty() ? nullptr : &values[0];
  LookUp(h, ConfigGetFirstValue, key, capacity, first);
  for (size_t i = 1; i < values.size(); ++i) LookUp(h, ConfigGetNextValue, key, capacity, &values[i]);
  LookUp(h, ConfigGetNextValue, key, capacity, nullptr);
  LookUp(h, ConfigGetValue, key, capacity, first);
  int32_t number = 12345;
  Check(ConfigGetInt(h, key.c_str(), &number) == (first ? 0 : -1), "integer result");
  if (values.size() > 1) Check(number == ModelInt(values[1]), "integer value");
  if (values.size() == 1) Check(number == ModelInt(values[0]), "integer value");
}

void CheckKeys(ConfigHandle* h, const std::string& text) {
  std::vector<std::string> keys;
  ConfigItem item;
  for (int r = ConfigFirstKey(h, &item); r == 0; r = ConfigNextKey(h, &item)) {
    Check(item.kind == 2 && memchr(item.name, '\0', sizeof(item.name)), "key item");
    keys.push_back(item.name);
  }
  Check(item.kind == 2, "key kind after the last key");
  Check(keys == ModelKeys(text), "key enumeration");
}

void CheckEntries(ConfigHandle* h, const std::set<std::string>& expected) {
  std::set<std::string> names;
  char name[256];
  int length = sizeof(name);
  for (int r = ConfigFirstEntry(h, name, &length); r == 0; r = ConfigNextEntry(h, name, &length)) {
    Check(length == static_cast<int>(strlen(name)) + 1, "entry length");
    names.insert(name);
    length = sizeof(name);
  }
  Check(names == expected, "entries");
}

// Everything a reader can ask of a store holding `text`.
void CheckReads(ConfigHandle* h, const std::string& text, const std::string& key, int capacity,
                const std::set<std::string>& entries) {
  CheckLookups(h, text, key, capacity);
  CheckKeys(h, text);
  CheckEntries(h, entries);
}

// A rewrite changes exactly the lines of the key, and each of them is read back whole.
void CheckRewritten(const std::string& before, const std::string& after, const std::string& key,
                    const std::string& value) {
  std::vector<std::string> old = Lines(before);
  std::vector<std::string> now = Lines(after);
  Check(old.size() == now.size() && !after.empty() && after.back() == '\n', "rewritten line count");
  bool replaced = false;
  for (size_t i = 0; i < old.size(); ++i) {
    bool ofKey = IsLineOfKey(old[i], key);
    replaced |= ofKey;
    Check(now[i] == (ofKey ? key + ": " + value : old[i]), "rewritten line");
    if (ofKey) Check(now[i].size() <= 1023, "a replaced line is read in one piece");
  }
  Check(replaced, "success without a line of the key");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The store's folder, made once below $TMPDIR or /dev/shm: a "conf" file and two entries. tmpfs
// makes the rewrite's syncs cheap. The name is never freed, so that the exit handler can still remove the
// folder.
const std::string& StoreDir() {
  static const std::string* dir = [] {
    const char* tmpdir = getenv("TMPDIR");
    std::string base = tmpdir && *tmpdir               ? tmpdir
                       : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                       : std::filesystem::temp_directory_path().string();
    auto* pattern = new std::string(base + "/velmora-fuzz-XXXXXX");
    Check(mkdtemp(pattern->data()) != nullptr, "mkdtemp");
    std::ofstream(*pattern + "/plug");
    std::filesystem::create_directory(*pattern + "/sub");
    atexit([] { std::filesystem::remove_all(StoreDir()); });
    return pattern;
  }();
  return *dir;
}

struct Input {
  std::string key, value, text;
  int capacity;
};

// Takes a text up to `n` bytes from the front of the data, cut at a NUL as a C text would be.
std::string Take(const uint8_t*& data, size_t& size, size_t n) {
  n = std::min(n, size);
  std::string text(reinterpret_cast<const char*>(data), n);
  data += n;
  size -= n;
  return text.substr(0, text.find('\0'));
}

Input Split(const uint8_t* data, size_t size) {
  uint8_t head[4] = {};
  memcpy(head, data, std::min<size_t>(size, 4));
  size_t skip = std::min<size_t>(size, 4);
  data += skip;
  size -= skip;
  Input in;
  in.capacity = 1 + head[3] % 300;
  std::string key = Take(data, size, head[0] & 0x3f);
  in.value = Take(data, size, (head[1] | head[2] << 8) % 1400);
  in.text.assign(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> keys = ModelKeys(in.text);
  in.key = (head[0] & 0x80) && !keys.empty() ? keys[(head[0] & 0x3f) % keys.size()] : key;
  return in;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in = Split(data, size);
  const std::string& dir = StoreDir();
  std::string conf = dir + "/conf";
  std::ofstream(conf, std::ios::binary | std::ios::trunc) << in.text;
  const std::set<std::string> entries = {"plug", "sub"};
  ConfigHandle* h = ConfigOpenWritable(dir.c_str());
  Check(h != nullptr, "open");
  CheckReads(h, in.text, in.key, in.capacity, entries);
  int result = ConfigSetValue(h, in.key.c_str(), in.value.c_str(), static_cast<int32_t>(in.value.size()));
  std::string after = ReadFile(conf);
  if (result == 0) {
    CheckRewritten(in.text, after, in.key, in.value);
  } else {
    Check(after == in.text, "a failed rewrite changed the file");
  }
  Check(!(result == 0 && in.value.find_first_of("\r\n") != std::string::npos), "line break accepted");
  // The read position is at the end of the file, whatever the result.
  LookUp(h, ConfigGetNextValue, in.key, in.capacity, nullptr);
  CheckReads(h, after, in.key, in.capacity, entries);
  Check(ConfigClose(h) == 0, "close");
  return 0;
}
