// A file's extended attributes for tests: all of them read at once, one set, and the access ACL
// written as the attribute that carries it, so that tests need no ACL library.
//
// Test support only. Keeps no state.
#ifndef VELMORA_TESTS_SUPPORT_FILE_ATTRIBUTES_H_
#define VELMORA_TESTS_SUPPORT_FILE_ATTRIBUTES_H_

#include <stdint.h>

#include <initializer_list>
#include <map>
#include <string>

namespace velmora::test {

// Every extended attribute of the file `path` (links followed), by name; empty when it has none
// or cannot be read.
std::map<std::string, std::string> ExtendedAttributes(const std::string& path);

// Sets the attribute `name` of `path` to `value`; false, with errno, when that fails.
bool SetExtendedAttribute(const std::string& path, const std::string& name, const std::string& value);

// One entry of an ACL: its kind, the permission bits (4 read, 2 write, 1 execute), and the user or
// group that an entry of a named user or group is for.
struct AclEntry {
  enum Tag : uint16_t {
    kOwner = 0x01,
    kUser = 0x02,
    kOwningGroup = 0x04,
    kGroup = 0x08,
    kMask = 0x10,
    kOther = 0x20
  };
  Tag tag;
  uint16_t permissions;
  uint32_t id = 0xffffffff;  // only for kUser and kGroup
};

// The value of "system.posix_acl_access" (or "system.posix_acl_default" on a folder) that holds
// `entries`, which must be given in the order above, users and groups by id.
std::string AclAttribute(std::initializer_list<AclEntry> entries);

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_FILE_ATTRIBUTES_H_
