#include "bench_figures.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace velmora::bench {
namespace {

// Linear interpolation between the two nearest ranks of sorted samples.
double Quantile(const std::vector<double>& sorted, double fraction) {
  double position = fraction * static_cast<double>(sorted.size() - 1);
  size_t below = static_cast<size_t>(position);
  size_t above = std::min(below + 1, sorted.size() - 1);
  double weight = position - static_cast<double>(below);
  return sorted[below] * (1.0 - weight) + sorted[above] * weight;
}

}  // namespace

double NowMs() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticksPerMs;
}

Spread Summarise(std::vector<double> samples) {
  Spread spread;
  spread.count = samples.size();
  if (samples.empty()) return spread;
  std::sort(samples.begin(), samples.end());
  spread.low = samples.front();
  spread.high = samples.back();
  spread.median = Quantile(samples, 0.5);
  spread.firstQuartile = Quantile(samples, 0.25);
  spread.thirdQuartile = Quantile(samples, 0.75);
  return spread;
}

std::string Printf(const char* format, ...) {
  char buffer[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof(buffer), format, arguments);
  va_end(arguments);
  return buffer;
}

void PrintFigure(const std::string& name, const std::string& measured, const std::string& target, bool met) {
  std::printf("FIGURE|%s|%s|%s|%s\n", name.c_str(), measured.c_str(), target.c_str(), met ? "PASS" : "ABOVE TARGET");
  std::fflush(stdout);
}

}  // namespace velmora::bench
