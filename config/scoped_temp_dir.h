// A temporary folder for tests that need real files; it and everything in it go with the object.
//
// Test support only. Not thread-safe; one test uses one folder.
#ifndef VELMORA_CONFIG_SCOPED_TEMP_DIR_H_
#define VELMORA_CONFIG_SCOPED_TEMP_DIR_H_

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace velmora::config {

class ScopedTempDir {
 public:
  ScopedTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-config-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScopedTempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The folder's absolute path; empty when it could not be made.
  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

  // Writes `text` byte for byte into the file `name` of the folder and gives its path.
  std::string Write(const std::string& name, const std::string& text, mode_t mode = 0644) const {
    std::string file = Path(name);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    chmod(file.c_str(), mode);
    return file;
  }

  // The bytes of the file `name` of the folder (a path with a leading slash is taken as it is).
  std::string Read(const std::string& name) const {
    std::ifstream in(name[0] == '/' ? name : Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // The names in the folder, in no particular order.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::string path_;
};

}  // namespace velmora::config

#endif  // VELMORA_CONFIG_SCOPED_TEMP_DIR_H_
