#include "units/units_test_support.h"

#include <limits.h>
#include <link.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "units/plugin_catalogue.h"

ScopedTempDir::ScopedTempDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/velmora-units-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_Path = pattern;
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_Path, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_Name(name) {
  const char* old = getenv(name);
  m_Had = old != nullptr;
  if (m_Had) m_Old = old;
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (m_Had) {
    setenv(m_Name.c_str(), m_Old.c_str(), 1);
  } else {
    unsetenv(m_Name.c_str());
  }
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string MakeRoot(const std::string& dir) {
  std::string root = dir + "/root";
  std::filesystem::create_directory(root);
  WriteFile(root + "/conf", "# test root\n");
  return root;
}

void WriteEntry(const std::string& root, const std::string& name, const std::string& library, int type) {
  WriteFile(root + "/" + name, "Name: " + library + "\nType: " + std::to_string(type) + "\n");
}

void WriteEntriesInOrder(const std::string& root, const std::vector<std::string>& libraries) {
  for (size_t i = 0; i < libraries.size(); ++i) WriteEntry(root, "entry" + std::to_string(i), "unset", 0);
  PluginEntryList entries;
  PluginCatalogueAt(root.c_str(), entries);
  if (entries.size() != libraries.size()) throw std::runtime_error("catalogue does not list every entry");
  for (size_t i = 0; i < libraries.size(); ++i) WriteEntry(root, entries[i].entryName, libraries[i], 1);
}

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
