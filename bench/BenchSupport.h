#pragma once
// What the benchmarks share: a clock, medians over rounds, the "--rounds N" argument, the message
// pump and the peak memory of the process.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Milliseconds on a steady clock.
inline double NowMs() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The lowest and highest of the rounds, printed beside every median.
struct Range {
  double low;
  double high;
};

inline Range RangeOf(const std::vector<double>& values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return {*low, *high};
}

// Takes "--rounds N" out of the arguments (keeping `rounds` when absent); returns the others.
inline std::vector<std::string> ParseRounds(int argc, char** argv, int& rounds) {
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
    else
      rest.push_back(argv[i]);
  }
  return rest;
}

// Dispatches every queued message of the thread.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Peak private memory of the process in megabytes (needs psapi), or -1.
inline double PeakPrivateMegabytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters))
    return -1;
  return static_cast<double>(counters.PeakPagefileUsage) / (1 << 20);
}
