#include "tests/support/scoped_temp_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace velmora::test {

ScopedTempDir::ScopedTempDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/velmora-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_Path = pattern;
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_Path, ignored);
}

std::string ScopedTempDir::Write(const std::string& name, const std::string& text, mode_t mode) const {
  std::string file = Path(name);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  chmod(file.c_str(), mode);
  return file;
}

std::string ScopedTempDir::Read(const std::string& name) const {
  std::ifstream in(name[0] == '/' ? name : Path(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ScopedTempDir::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(m_Path))
    names.push_back(entry.path().filename().string());
  return names;
}

}  // namespace velmora::test
