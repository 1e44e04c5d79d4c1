#include "tests/support/catalogue_root.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "units/plugin_catalogue.h"

namespace velmora::test {

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

Lines ReadLines(const std::string& path) {
  Lines lines;
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

}  // namespace velmora::test
