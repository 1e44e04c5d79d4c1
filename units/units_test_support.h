// Helpers of the units tests: scoped temporary configuration roots, environment settings, trace
// files, and whether a library is mapped in this process.
#ifndef VELMORA_UNITS_UNITS_TEST_SUPPORT_H_
#define VELMORA_UNITS_UNITS_TEST_SUPPORT_H_

#include <string>
#include <vector>

// A fresh directory below $TMPDIR (or /tmp), removed with its content on destruction.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::string& path() const { return m_Path; }

 private:
  std::string m_Path;
};

// Sets (or, for null, unsets) an environment variable and restores it on destruction.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string m_Name;
  bool m_Had;
  std::string m_Old;
};

void WriteFile(const std::string& path, const std::string& content);

// The lines of `path`, without newlines; empty when it does not exist.
std::vector<std::string> ReadLines(const std::string& path);

// A configuration root below `dir`: a directory with its own "conf". Gives its path.
std::string MakeRoot(const std::string& dir);

// Writes a plain-file catalogue entry.
void WriteEntry(const std::string& root, const std::string& name, const std::string& library, int type);

// Makes one entry per library in `root` and fills them so that the catalogue lists the libraries
// in the given order, whatever order the directory stream yields.
void WriteEntriesInOrder(const std::string& root, const std::vector<std::string>& libraries);

// Whether the shared object at `path` is mapped in this process.
bool IsLoaded(const std::string& path);

#endif  // VELMORA_UNITS_UNITS_TEST_SUPPORT_H_
