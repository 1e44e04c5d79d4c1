// A temporary folder for tests that need real files; it and everything in it go with the object.
//
// Test support only. Not thread-safe; one test uses one folder.
#ifndef VELMORA_TESTS_SUPPORT_SCOPED_TEMP_DIR_H_
#define VELMORA_TESTS_SUPPORT_SCOPED_TEMP_DIR_H_

#include <sys/stat.h>

#include <string>
#include <vector>

namespace velmora::test {

class ScopedTempDir {
 public:
  // Makes a fresh folder below $TMPDIR (or /tmp). Throws std::runtime_error when it cannot.
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The folder's absolute path, and that of the entry `name` in it.
  const std::string& path() const { return m_Path; }
  std::string Path(const std::string& name) const { return m_Path + "/" + name; }

  // Writes `text` byte for byte into the file `name` of the folder and gives its path.
  std::string Write(const std::string& name, const std::string& text, mode_t mode = 0644) const;

  // The bytes of the file `name` of the folder (a path with a leading slash is taken as it is).
  std::string Read(const std::string& name) const;

  // The names in the folder, in no particular order.
  std::vector<std::string> Names() const;

 private:
  std::string m_Path;
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_SCOPED_TEMP_DIR_H_
