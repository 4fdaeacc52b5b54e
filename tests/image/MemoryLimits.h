#pragma once
// Memory seams of the image tests: the pixel allocation limit for one scope, and the process's
// peak memory, to see that a refused picture reserved nothing.
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include "image/PixelBuffer.h"

class PixelLimit {
 public:
  explicit PixelLimit(uint64_t maxBytes) { SetPixelAllocationLimit(maxBytes); }
  ~PixelLimit() { SetPixelAllocationLimit(0); }
  PixelLimit(const PixelLimit&) = delete;
  PixelLimit& operator=(const PixelLimit&) = delete;
};

// Peak committed private memory on Windows, peak resident memory elsewhere.
inline uint64_t PeakMemoryBytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakPagefileUsage;
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<uint64_t>(usage.ru_maxrss) * 1024;
#endif
}
