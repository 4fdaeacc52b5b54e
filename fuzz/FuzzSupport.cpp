#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "image/ImagePlatformHost.h"
#include "image/PixelBuffer.h"

namespace {

std::string MakeScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lumavex-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) FuzzFailure("cannot make a scratch folder");
  return pattern;
}

void RemoveScratchFolder();

const std::string& ScratchFolder() {
  static const std::string* folder = [] {
    auto* made = new std::string(MakeScratchFolder());
    std::atexit(RemoveScratchFolder);
    return made;
  }();
  return *folder;
}

void RemoveScratchFolder() {
  std::error_code error;
  std::filesystem::remove_all(ScratchFolder(), error);
}

}  // namespace

void BeginFuzzInput() {
  SetPixelAllocationLimit(kFuzzPixelBudget);
  image_platform::ClearHostMessages();
}

std::string ScratchPath(const char* name) { return ScratchFolder() + "/" + name; }

std::string WriteScratchFile(const char* name, const uint8_t* data, size_t size) {
  std::string path = ScratchPath(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) FuzzFailure("cannot write a scratch file");
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) FuzzFailure("cannot write a scratch file");
  return path;
}

void FuzzFailure(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

uint64_t CheckPictureBlock(const uint8_t* rgb, uint32_t width, uint32_t height) {
  FUZZ_CHECK(width > 0 && height > 0);
  const uint64_t bytes = PackedPictureBytes(width, height);
  FUZZ_CHECK(bytes <= kFuzzPixelBudget);
  volatile uint8_t last = rgb[bytes - 1];
  (void)last;
  return bytes;
}
