// Fuzz target for the configuration store. One input becomes both forms of a store: a folder
// whose "conf" file holds the input's text beside further entries, and the plain settings file
// "plug" among those entries, holding the same text. Each store is read whole (every lookup,
// ConfigGetInt, the key and entry enumerations) against a plain model of the line rules; then a
// script of single operations from the input runs on it, the model following the read position
// that the operations share. Last, a rewrite of the folder's "conf" file (the copy: "plug" stays as
// it was) must keep every other line byte for byte or, when it fails, the whole file, and the
// rewritten store is read and scripted again.
//
// Build (clang only; the target is made only with the option on):
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVELMORA_FUZZ=ON
//   ninja -C build-fuzz config_store_fuzz
// Run (a corpus folder to grow, then the committed seeds):
//   mkdir -p /tmp/corpus && build-fuzz/config/config_store_fuzz -max_len=3000 /tmp/corpus
//   tests/fuzz/config_store
// scripts/fuzz-smoke [SECONDS] does both for a bounded time. A fault aborts with the input saved
// as crash-*; rerun it with build-fuzz/config/config_store_fuzz crash-*. Without the option the
// same checks are built into config_store_replay, which ctest runs over the seeds.
//
// Input layout: byte 0 picks the key (high bit set: one of the file's own keys, by the low bits;
// else the low 6 bits give the length of a key taken from the input), bytes 1-2 the value's length,
// byte 3 the lookup capacity, byte 4 the entry capacity, byte 5 the script's length (low 4 bits);
// then the key, the value, the script (one byte per operation), and the rest is the file.
#include <dirent.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "config/temporary_name.h"

namespace {

using Found = std::optional<std::string>;

// Stops the run with the failed invariant; libFuzzer saves the input.
void Check(bool condition, const char* what) {
  if (condition) return;
  fprintf(stderr, "invariant failed: %s\n", what);
  abort();
}

// The text as the lookups and the key enumeration see it: pieces of at most 1023 bytes, each
// ending after a newline, and what each piece is to them.
struct Model {
  struct Piece {
    std::string text;  // up to a NUL, without one newline and then one carriage return
    Found key;         // the key enumeration's key, cut to 255 characters
  };
  std::vector<Piece> pieces;

  explicit Model(const std::string& file) {
    for (size_t start = 0; start < file.size();) {
      size_t end = file.find('\n', start);
      end = end == std::string::npos ? file.size() : end + 1;
      end = std::min(end, start + 1023);
      std::string raw = file.substr(start, end - start);
      raw.resize(std::min(raw.size(), raw.find('\0')));
      Piece piece;
      size_t colon = raw.find(':');
      if (!raw.empty() && raw[0] != '#' && colon != std::string::npos)
        piece.key = raw.substr(0, std::min<size_t>(colon, 255));
      if (!raw.empty() && raw.back() == '\n') raw.pop_back();
      if (!raw.empty() && raw.back() == '\r') raw.pop_back();
      piece.text = std::move(raw);
      pieces.push_back(std::move(piece));
      start = end;
    }
  }

  // The value that piece `i` gives the lookups of `key`, if any.
  Found ValueAt(size_t i, const std::string& key) const {
    const std::string& line = pieces[i].text;
    if (!line.empty() && line[0] == '#') return std::nullopt;
    if (line.size() < key.size() + 2 || line.compare(0, key.size(), key) != 0 ||
        line.compare(key.size(), 2, ": ") != 0)
      return std::nullopt;
    return line.substr(key.size() + 2);
  }

  std::vector<std::string> Values(const std::string& key) const {
    std::vector<std::string> values;
    for (size_t i = 0; i < pieces.size(); ++i)
      if (Found value = ValueAt(i, key)) values.push_back(*value);
    return values;
  }

  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const Piece& piece : pieces)
      if (piece.key) keys.push_back(*piece.key);
    return keys;
  }
};

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

// One lookup through `lookup`; checks the result, the cut and the reported length.
void LookUp(ConfigHandle* h, int (*lookup)(ConfigHandle*, const char*, char*, int*), const std::string& key,
            int capacity, const Found& expected) {
  std::vector<char> value(capacity + 1, '\x7f');
  int length = capacity;
  int result = lookup(h, key.c_str(), value.data(), &length);
  Check(result == (expected ? 0 : -1), "lookup result");
  Check(value[capacity] == '\x7f', "lookup wrote past the capacity");
  if (!expected) {
    Check(length == capacity && value[0] == '\x7f', "a failed lookup changed the buffer");
    return;
  }
  Check(length == static_cast<int>(expected->size()), "lookup length");
  Check(value.data() == expected->substr(0, capacity - 1), "lookup value");
}

void GetInt(ConfigHandle* h, const std::string& key, const Found& expected) {
  int32_t number = 12345;
  Check(ConfigGetInt(h, key.c_str(), &number) == (expected ? 0 : -1), "integer result");
  Check(number == (expected ? ModelInt(*expected) : 12345), "integer value");
}

// One entry read with the capacity; `expected` null when none may come, `names` all that may
// come when the position is not known.
void ReadEntry(ConfigHandle* h, bool first, int capacity, const std::string* expected,
               const std::vector<std::string>* names) {
  std::vector<char> name(capacity + 1, '\x7f');
  int length = capacity;
  int result = (first ? ConfigFirstEntry : ConfigNextEntry)(h, name.data(), &length);
  Check(name[capacity] == '\x7f', "entry written past the capacity");
  if (result != 0) {
    Check(result == -1 && (!expected || names), "entry result");
    Check(length == capacity && name[0] == '\x7f', "a failed entry read changed the buffer");
    return;
  }
  Check(expected || names, "entry after the last one");
  if (!expected) {
    // The position is unknown: the name must be one of the folder's, whole or cut.
    std::string got(name.data(), std::min<size_t>(capacity, strnlen(name.data(), capacity)));
    auto fits = [&](const std::string& n) { return n.compare(0, got.size(), got) == 0; };
    Check(std::any_of(names->begin(), names->end(), fits), "unknown entry");
    return;
  }
  int whole = static_cast<int>(expected->size()) + 1;
  if (whole <= capacity) {
    Check(length == whole && memcmp(name.data(), expected->c_str(), whole) == 0, "entry name");
  } else {
    Check(length == capacity && memcmp(name.data(), expected->data(), capacity) == 0, "cut entry name");
  }
}

// The folder's entries in the order in which a fresh directory stream yields them, as the
// entry enumeration must give them: a replacement's temporary name is none.
std::vector<std::string> ListEntries(const std::string& dir) {
  std::vector<std::string> names;
  DIR* stream = opendir(dir.c_str());
  Check(stream != nullptr, "opendir");
  while (const dirent* entry = readdir(stream)) {
    std::string name = entry->d_name;
    bool skipped =
        name == "conf" || name == "." || name == ".." || velmora::config::IsTemporaryName(name.c_str());
    if (!skipped) names.push_back(name);
  }
  closedir(stream);
  return names;
}

// A handle beside its model: the file's pieces, the read position, the entry position.
struct Store {
  ConfigHandle* h;
  Model model;
  bool isDirectory;
  std::vector<std::string> entries;  // in directory order; empty for a plain file
  size_t position = 0;               // the next piece to be read
  bool entryKnown = true;            // false while the folder changed since the last rewind
  size_t entry = 0;

  // The search behind the value lookups, on the model.
  Found Find(const std::string& key, bool wrap) {
    for (size_t i = position; i < model.pieces.size(); ++i) {
      if (Found value = model.ValueAt(i, key)) {
        position = i + 1;
        return value;
      }
    }
    for (size_t i = 0; wrap && i < model.pieces.size(); ++i) {
      if (Found value = model.ValueAt(i, key)) {
        position = i + 1;
        return value;
      }
    }
    position = model.pieces.size();
    return std::nullopt;
  }

  Found NextKey() {
    for (size_t i = position; i < model.pieces.size(); ++i) {
      if (model.pieces[i].key) {
        position = i + 1;
        return model.pieces[i].key;
      }
    }
    position = model.pieces.size();
    return std::nullopt;
  }

  void CheckKey(bool first) {
    if (first) position = 0;
    Found expected = NextKey();
    ConfigItem item;
    memset(item.name, '\x7f', sizeof(item.name));
    item.kind = 0;
    int result = (first ? ConfigFirstKey : ConfigNextKey)(h, &item);
    Check(item.kind == 2, "key kind");
    Check(result == (expected ? 0 : -1), "key result");
    if (expected) {
      Check(memchr(item.name, '\0', sizeof(item.name)) && item.name == *expected, "key name");
    } else {
      Check(item.name[0] == '\x7f' && item.name[255] == '\x7f', "a failed key read changed the name");
    }
  }

  void CheckEntry(bool first, int capacity) {
    if (first) {
      entryKnown = true;
      entry = 0;
    }
    if (!entryKnown) return ReadEntry(h, first, capacity, nullptr, &entries);
    const std::string* expected = entry < entries.size() ? &entries[entry++] : nullptr;
    ReadEntry(h, first, capacity, expected, nullptr);
  }

  // Everything a reader can ask, in full: each value of the key in order, the end, the wrap, the
  // integer, every key, every entry.
  void CheckReads(const std::string& key, int capacity, int entryCapacity) {
    position = 0;
    size_t values = model.Values(key).size();
    LookUp(h, ConfigGetFirstValue, key, capacity, Find(key, false));
    for (size_t i = 1; i < values; ++i) LookUp(h, ConfigGetNextValue, key, capacity, Find(key, false));
    LookUp(h, ConfigGetNextValue, key, capacity, Find(key, false));
    LookUp(h, ConfigGetValue, key, capacity, Find(key, true));
    GetInt(h, key, Find(key, true));
    CheckKey(true);
    size_t keys = model.Keys().size();
    for (size_t i = 0; i < keys; ++i) CheckKey(false);
    CheckEntry(true, entryCapacity);
    for (size_t i = 0; i < entries.size(); ++i) CheckEntry(false, entryCapacity);
  }

  // One operation per byte: the low 3 bits pick it, the rest the key (0: the input's key, else
  // one of the file's own).
  void RunScript(const std::string& script, const std::string& inputKey, int capacity, int entryCapacity) {
    std::vector<std::string> keys = model.Keys();
    for (unsigned char op : script) {
      const std::string& key = (op >> 3) == 0 || keys.empty() ? inputKey : keys[(op >> 3) % keys.size()];
      switch (op & 7) {
        case 0:
          position = 0;
          LookUp(h, ConfigGetFirstValue, key, capacity, Find(key, false));
          break;
        case 1:
          LookUp(h, ConfigGetNextValue, key, capacity, Find(key, false));
          break;
        case 2:
          LookUp(h, ConfigGetValue, key, capacity, Find(key, true));
          break;
        case 3:
          GetInt(h, key, Find(key, true));
          break;
        case 4:
        case 5:
          CheckKey((op & 7) == 4);
          break;
        default:
          CheckEntry((op & 7) == 6, entryCapacity);
          break;
      }
    }
  }
};

// A rewrite changes exactly the lines of the key, and each of them is read back whole.
void CheckRewritten(const std::string& before, const std::string& after, const std::string& key,
                    const std::string& value) {
  std::vector<std::string> old = Lines(before);
  std::vector<std::string> now = Lines(after);
  Check(old.size() == now.size() && !after.empty() && after.back() == '\n', "rewritten line count");
  for (size_t i = 0; i < old.size(); ++i) {
    bool ofKey = IsLineOfKey(old[i], key);
    Check(now[i] == (ofKey ? key + ": " + value : old[i]), "rewritten line");
    if (ofKey) Check(now[i].size() <= 1023, "a replaced line is read in one piece");
  }
}

// Whether the rewrite must succeed: a line of the key, and a value that keeps the file's lines.
bool RewriteExpected(const std::string& text, const std::string& key, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos || key.size() + 2 + value.size() > 1023) return false;
  std::vector<std::string> lines = Lines(text);
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return IsLineOfKey(l, key); });
}

std::string ReadFile(const std::string& path) {
  std::string text;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  Check(fd >= 0, "open for reading");
  char chunk[4096];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof(chunk))) > 0) text.append(chunk, n);
  close(fd);
  return text;
}

void WriteFile(const std::string& path, const std::string& text) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  Check(fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()), "write");
  close(fd);
}

// The store's folder, made once below $TMPDIR or /dev/shm: tmpfs makes the rewrite's syncs cheap.
// Beside "conf" and the plain store "plug" it holds a folder, a hidden name, a name that begins
// with "conf" and a name of the longest length. The name is never freed, so that the exit handler
// can still remove the folder.
const std::string& StoreDir() {
  static const std::string* dir = [] {
    const char* tmpdir = getenv("TMPDIR");
    std::string base = tmpdir && *tmpdir               ? tmpdir
                       : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                       : std::filesystem::temp_directory_path().string();
    auto* pattern = new std::string(base + "/velmora-fuzz-XXXXXX");
    Check(mkdtemp(pattern->data()) != nullptr, "mkdtemp");
    for (const std::string& name : std::vector<std::string>{".hidden", "conf.d", std::string(255, 'n')})
      WriteFile(*pattern + "/" + name, "");
    std::filesystem::create_directory(*pattern + "/sub");
    atexit([] { std::filesystem::remove_all(StoreDir()); });
    return pattern;
  }();
  return *dir;
}

struct Input {
  std::string key, value, script, text;
  int capacity, entryCapacity;
};

// Takes up to `n` bytes from the front of the data.
std::string Take(const uint8_t*& data, size_t& size, size_t n) {
  n = std::min(n, size);
  std::string bytes(reinterpret_cast<const char*>(data), n);
  data += n;
  size -= n;
  return bytes;
}

// A C text: cut at the first NUL.
std::string CText(std::string bytes) { return bytes.substr(0, bytes.find('\0')); }

Input Split(const uint8_t* data, size_t size) {
  std::string head = Take(data, size, 6);
  head.resize(6, '\0');
  auto byte = [&](int i) { return static_cast<unsigned char>(head[i]); };
  Input in;
  in.capacity = 1 + byte(3) % 300;
  in.entryCapacity = 1 + byte(4) % 300;
  std::string key = CText(Take(data, size, byte(0) & 0x3f));
  in.value = CText(Take(data, size, (byte(1) | byte(2) << 8) % 1400));
  in.script = Take(data, size, byte(5) & 0x0f);
  in.text.assign(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> keys = Model(in.text).Keys();
  in.key = (byte(0) & 0x80) && !keys.empty() ? keys[(byte(0) & 0x3f) % keys.size()] : key;
  return in;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in = Split(data, size);
  const std::string& dir = StoreDir();
  const std::string conf = dir + "/conf";
  const std::string plug = dir + "/plug";
  WriteFile(conf, in.text);
  WriteFile(plug, in.text);

  // The plain settings file: no entries.
  Store file{ConfigOpen(plug.c_str()), Model(in.text), false, {}};
  Check(file.h != nullptr, "open the file");
  file.CheckReads(in.key, in.capacity, in.entryCapacity);
  file.RunScript(in.script, in.key, in.capacity, in.entryCapacity);
  Check(ConfigClose(file.h) == 0, "close the file");

  // The folder: its entries, then the rewrite of its "conf" file.
  Store folder{ConfigOpenWritable(dir.c_str()), Model(in.text), true, ListEntries(dir)};
  Check(folder.h != nullptr, "open the folder");
  folder.CheckReads(in.key, in.capacity, in.entryCapacity);
  folder.RunScript(in.script, in.key, in.capacity, in.entryCapacity);
  int result =
      ConfigSetValue(folder.h, in.key.c_str(), in.value.c_str(), static_cast<int32_t>(in.value.size()));
  std::string after = ReadFile(conf);
  Check(result == (RewriteExpected(in.text, in.key, in.value) ? 0 : -1), "rewrite result");
  if (result == 0) {
    CheckRewritten(in.text, after, in.key, in.value);
  } else {
    Check(after == in.text, "a failed rewrite changed the file");
  }
  Check(ReadFile(plug) == in.text, "the rewrite changed another store");
  // Success or not, the read position is at the end of the file; the folder may have changed
  // under the entry position.
  folder.model = Model(after);
  folder.position = folder.model.pieces.size();
  folder.entries = ListEntries(dir);
  folder.entryKnown = false;
  folder.RunScript(in.script, in.key, in.capacity, in.entryCapacity);
  folder.CheckReads(in.key, in.capacity, in.entryCapacity);
  Check(ConfigClose(folder.h) == 0, "close the folder");
  return 0;
}
