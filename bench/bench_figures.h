// Shared by the benchmark programs: a monotonic clock, order statistics, and
// the one-line figure format that scripts/bench.sh gathers into its table.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace velmora::bench {

// Milliseconds on the performance counter; only differences mean anything.
double NowMs();

struct Spread {
  size_t count = 0;
  double median = 0, low = 0, high = 0, firstQuartile = 0, thirdQuartile = 0;
};
// Empty samples give a zero count; callers report that as a failure.
Spread Summarise(std::vector<double> samples);

std::string Printf(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));

// "FIGURE|name|measured|target|PASS or ABOVE TARGET", one line per figure.
void PrintFigure(const std::string& name, const std::string& measured, const std::string& target, bool met);

}  // namespace velmora::bench
