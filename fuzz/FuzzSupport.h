#pragma once
// What the fuzz targets share: a scratch folder of the process for the files the readers and
// writers need, and the memory the targets run with.
#include <cstddef>
#include <cstdint>
#include <string>

// The pixel memory a target's process has: as in the 32-bit program, a picture beyond it is
// refused from its header (and the JPEG library gets what the picture leaves of it). Small, so
// that inputs declaring large pictures cost little: decoding time grows with the declared size,
// and at 64 MB the JPEG target ran five times slower. The fuzzer's own limit per allocation
// (1 GB) stays far above it, so any block sized from a header without a check still shows.
inline constexpr uint64_t kFuzzPixelBudget = uint64_t{2} << 20;

// Before each input: the pixel budget set, recorded message boxes dropped.
void BeginFuzzInput();

// The path of `name` in the process's scratch folder (made on first use, removed at exit).
std::string ScratchPath(const char* name);

// Writes the input to `name` in the scratch folder and returns its path; aborts when it cannot.
std::string WriteScratchFile(const char* name, const uint8_t* data, size_t size);

// Checks a picture a reader returned: both sides non-zero, within the budget, and every byte the
// size promises readable (the last one is touched, so the sanitizer sees a short block). Returns
// the block's size in bytes.
uint64_t CheckPictureBlock(const uint8_t* rgb, uint32_t width, uint32_t height);

// Reports a broken expectation as a crash, so that the fuzzer keeps the input.
[[noreturn]] void FuzzFailure(const char* what);
#define FUZZ_CHECK(condition)                  \
  do {                                         \
    if (!(condition)) FuzzFailure(#condition); \
  } while (0)
