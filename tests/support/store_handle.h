// Store handles for tests: handles that close themselves, and lookups in one call.
//
// Test support only.
#ifndef VELMORA_TESTS_SUPPORT_STORE_HANDLE_H_
#define VELMORA_TESTS_SUPPORT_STORE_HANDLE_H_

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "config/config_store.h"

namespace velmora::test {

struct HandleCloser {
  void operator()(ConfigHandle* handle) const { ConfigClose(handle); }
};
using Handle = std::unique_ptr<ConfigHandle, HandleCloser>;

inline Handle Open(const std::string& path) { return Handle(ConfigOpen(path.c_str())); }

using Lookup = int (*)(ConfigHandle*, const char*, char*, int*);

// The value that `lookup` finds for `key` with a 256-byte buffer, or none.
inline std::optional<std::string> Find(ConfigHandle* handle, const char* key,
                                       Lookup lookup = ConfigGetValue) {
  char value[256];
  int length = sizeof(value);
  if (lookup(handle, key, value, &length) != 0) return std::nullopt;
  return std::string(value);
}

// Every entry name that the enumeration gives, from the first, with a 256-byte buffer.
inline std::multiset<std::string> Entries(ConfigHandle* handle) {
  std::multiset<std::string> names;
  char name[256];
  int length = sizeof(name);
  for (int r = ConfigFirstEntry(handle, name, &length); r == 0; r = ConfigNextEntry(handle, name, &length)) {
    names.insert(name);
    length = sizeof(name);
  }
  return names;
}

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_STORE_HANDLE_H_
