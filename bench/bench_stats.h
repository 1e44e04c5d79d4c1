// What the plug-in benchmarks share: medians of wall-clock runs, two sides alternated run by run,
// the machine's load average, and the report lines.
//
// Benchmark only; one thread.
#ifndef VELMORA_BENCH_BENCH_STATS_H_
#define VELMORA_BENCH_BENCH_STATS_H_

#include <functional>
#include <string>
#include <vector>

namespace velmora::bench {

double Median(std::vector<double> values);

// The first three fields of /proc/loadavg, or "?".
std::string LoadAverage();

// Calls `run` for side A then B on even rounds, B then A on odd ones; a first round is dropped.
template <typename Run>
void Alternate(int runs, std::vector<double>& a, std::vector<double>& b, Run run) {
  run(0), run(1);
  for (int i = 0; i < runs; ++i) {
    int first = i % 2;
    (first == 0 ? a : b).push_back(run(first));
    (first == 0 ? b : a).push_back(run(1 - first));
  }
}

// One line: the median and minimum of `times` (milliseconds).
void Report(const char* what, const std::vector<double>& times);

// The median of a[i] - b[i]: each round's two runs met much the same load.
double PairedDifference(const std::vector<double>& a, const std::vector<double>& b);

// A side against its floor: each one's line, the ratio of their medians against `target` (met or
// MISSED) and the median of the paired differences.
void ReportRatio(const char* side, const std::vector<double>& times, const char* floor,
                 const std::vector<double>& floorTimes, double target);

// Heap in use (malloc's count) after `runs` calls of `run` less before them, after three warm-up
// calls: what each call leaves behind.
long long HeapGrowth(int runs, const std::function<void()>& run);

// One line: the heap growth of `runs` runs.
void ReportHeap(const char* what, long long bytes, int runs);

}  // namespace velmora::bench

#endif  // VELMORA_BENCH_BENCH_STATS_H_
