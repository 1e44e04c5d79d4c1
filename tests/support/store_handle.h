// Store handles for tests: handles that close themselves, and lookups in one call.
//
// Test support only.
#ifndef VELMORA_TESTS_SUPPORT_STORE_HANDLE_H_
#define VELMORA_TESTS_SUPPORT_STORE_HANDLE_H_

#include <memory>
#include <optional>
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

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_STORE_HANDLE_H_
