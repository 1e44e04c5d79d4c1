#include "tests/support/file_attributes.h"

#include <string.h>
#include <sys/xattr.h>

#include <vector>

namespace velmora::test {
namespace {

// The value of one attribute, or none when it vanished or cannot be read.
std::string AttributeValue(const std::string& path, const char* name) {
  ssize_t size = getxattr(path.c_str(), name, nullptr, 0);
  if (size <= 0) return std::string();
  std::string value(static_cast<size_t>(size), '\0');
  size = getxattr(path.c_str(), name, value.data(), value.size());
  value.resize(size > 0 ? static_cast<size_t>(size) : 0);
  return value;
}

}  // namespace

std::map<std::string, std::string> ExtendedAttributes(const std::string& path) {
  std::map<std::string, std::string> attributes;
  ssize_t size = listxattr(path.c_str(), nullptr, 0);
  if (size <= 0) return attributes;
  std::vector<char> names(static_cast<size_t>(size));
  size = listxattr(path.c_str(), names.data(), names.size());
  for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(strlen(&names[at])) + 1)
    attributes[&names[at]] = AttributeValue(path, &names[at]);
  return attributes;
}

bool SetExtendedAttribute(const std::string& path, const std::string& name, const std::string& value) {
  return setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0;
}

// The kernel's layout: a version word (2), then per entry the tag, the permissions (16 bits each)
// and the id (32 bits), little-endian as on every machine the tests run on.
std::string AclAttribute(std::initializer_list<AclEntry> entries) {
  std::string value;
  auto put = [&value](uint32_t number, int bytes) {
    for (int i = 0; i < bytes; ++i) value.push_back(static_cast<char>(number >> (8 * i)));
  };
  put(2, 4);
  for (const AclEntry& entry : entries) {
    put(entry.tag, 2);
    put(entry.permissions, 2);
    put(entry.id, 4);
  }
  return value;
}

}  // namespace velmora::test
