// Configuration roots for the tests of the discovery and its tools: a folder with its own "conf"
// and plain-file catalogue entries, and the files the test plug-ins trace into.
//
// Test support only; one test at a time.
#ifndef VELMORA_TESTS_SUPPORT_CATALOGUE_ROOT_H_
#define VELMORA_TESTS_SUPPORT_CATALOGUE_ROOT_H_

#include <string>
#include <vector>

namespace velmora::test {

// Writes `content` into `path`, replacing it. Throws std::runtime_error when it cannot.
void WriteFile(const std::string& path, const std::string& content);

// The lines of a file (a trace, a log), without newlines.
using Lines = std::vector<std::string>;

// The lines of `path`; empty when it does not exist.
Lines ReadLines(const std::string& path);

// A configuration root below `dir`: a folder "root" with its own "conf". Gives its path.
std::string MakeRoot(const std::string& dir);

// Writes a plain-file catalogue entry.
void WriteEntry(const std::string& root, const std::string& name, const std::string& library, int type);

// Makes one entry per library in `root` and fills them so that the catalogue lists the libraries
// in the given order, whatever order the directory stream yields.
void WriteEntriesInOrder(const std::string& root, const std::vector<std::string>& libraries);

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_CATALOGUE_ROOT_H_
