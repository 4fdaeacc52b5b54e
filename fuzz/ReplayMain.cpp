// Replays fuzz inputs through a target without the fuzzer: every file of the folders given (or,
// with no arguments, of the target's seed corpus and crash folders) goes to
// LLVMFuzzerTestOneInput once. A crash or a failed check ends the run as it would in the fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// Files of a folder in name order; names starting with "." (placeholders) are not inputs.
std::vector<fs::path> Inputs(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> folders(argv + 1, argv + argc);
  if (folders.empty()) folders = {LUMAVEX_FUZZ_CORPUS, LUMAVEX_FUZZ_CRASHES};
  size_t replayed = 0;
  for (const std::string& folder : folders) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
      std::fprintf(stderr, "not a folder: %s\n", folder.c_str());
      return 2;
    }
    for (const fs::path& file : Inputs(folder)) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::fprintf(stderr, "%s\n", file.c_str());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("%zu inputs replayed\n", replayed);
  // A seed corpus that went missing would make this test pass on nothing.
  return replayed > 0 ? 0 : 1;
}
