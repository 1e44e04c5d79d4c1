#include "tests/support/loaded_library.h"

#include <limits.h>
#include <link.h>
#include <stdlib.h>

namespace velmora::test {
namespace {

int MatchMapped(struct dl_phdr_info* info, size_t, void* data) {
  auto* wanted = static_cast<std::string*>(data);
  char resolved[PATH_MAX];
  if (info->dlpi_name == nullptr || realpath(info->dlpi_name, resolved) == nullptr) return 0;
  return *wanted == resolved ? 1 : 0;
}

}  // namespace

bool IsLoaded(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return false;
  std::string wanted = resolved;
  return dl_iterate_phdr(MatchMapped, &wanted) != 0;
}

}  // namespace velmora::test
