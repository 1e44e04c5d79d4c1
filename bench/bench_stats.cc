// The benchmarks' statistics (bench_stats.h).
#include "bench/bench_stats.h"

#include <malloc.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

namespace velmora::bench {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t half = values.size() / 2;
  return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

std::string LoadAverage() {
  char text[64] = "?";
  if (FILE* file = fopen("/proc/loadavg", "r")) {
    if (fgets(text, sizeof text, file) == nullptr) strcpy(text, "?");
    fclose(file);
  }
  std::string fields(text);
  size_t end = 0;
  for (int i = 0; i < 3 && end != std::string::npos; ++i) end = fields.find(' ', end + 1);
  return fields.substr(0, end);
}

void Report(const char* what, const std::vector<double>& times) {
  printf("%-44s %8.3f ms median, %8.3f ms min (%zu runs)\n", what, Median(times),
         *std::min_element(times.begin(), times.end()), times.size());
}

double PairedDifference(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> differences;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) differences.push_back(a[i] - b[i]);
  return Median(differences);
}

void ReportRatio(const char* side, const std::vector<double>& times, const char* floor,
                 const std::vector<double>& floorTimes, double target) {
  Report(side, times);
  Report(floor, floorTimes);
  double ratio = Median(times) / Median(floorTimes);
  printf("%-44s %8.3f  (target <= %.2f: %s)\n", "capture run: time ratio (medians)", ratio, target,
         ratio <= target ? "met" : "MISSED");
  printf("%-44s %+8.3f ms\n", "capture run: median of paired differences",
         PairedDifference(times, floorTimes));
}

long long HeapGrowth(int runs, const std::function<void()>& run) {
  for (int i = 0; i < 3; ++i) run();
  size_t before = mallinfo2().uordblks;
  for (int i = 0; i < runs; ++i) run();
  return static_cast<long long>(mallinfo2().uordblks) - static_cast<long long>(before);
}

void ReportHeap(const char* what, long long bytes, int runs) {
  printf("%-44s %+8lld bytes over %d runs\n", what, bytes, runs);
}

}  // namespace velmora::bench
