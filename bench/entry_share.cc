// The catalogue entry's share of the start-up (entry_share.h).
#include "bench/entry_share.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

#include "tests/support/catalogue_root.h"
#include "units/unit_list.h"

namespace velmora::bench {
namespace {

std::string OwnPath() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) throw std::runtime_error("cannot read /proc/self/exe");
  return std::string(path, static_cast<size_t>(length));
}

}  // namespace

int EnumerateChild(const char* root) {
  unsetenv("G_MESSAGES_DEBUG");  // the parent's log watch wants them; the child prints nothing
  setenv("VELMORA_SIM_UNITS", "1", 1);
  auto start = std::chrono::steady_clock::now();
  UnitSequence units = EnumerateUnitsAt(root);
  auto stop = std::chrono::steady_clock::now();
  printf("%.4f %zu\n", std::chrono::duration<double, std::milli>(stop - start).count(), units.size());
  return 0;
}

std::string EntryRoot(const std::string& dir, const std::vector<std::string>& libraries) {
  std::string root = test::MakeRoot(dir);
  test::WriteEntriesInOrder(root, libraries);
  return root;
}

double TimedEnumeration(const std::string& root, size_t units) {
  static const std::string self = OwnPath();
  FILE* child = popen(("'" + self + "' " + kEntryShareChild + " '" + root + "'").c_str(), "r");
  double ms = -1;
  size_t found = 0;
  bool read = child != nullptr && fscanf(child, "%lf %zu", &ms, &found) == 2;
  int status = child != nullptr ? pclose(child) : -1;
  if (!read || status != 0 || found != units) throw std::runtime_error("enumeration child failed on " + root);
  return ms;
}

}  // namespace velmora::bench
