#pragma once
// Portable file helpers for the image tests, which also run natively under the sanitizers:
// a fresh folder removed at the end, and whole-file reads and writes.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<unsigned> counter{0};
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("lvximg_" + std::to_string(Tick()) + "_" + std::to_string(counter++));
      std::error_code error;
      if (std::filesystem::create_directory(path_, error)) return;
    }
  }
  ~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string Path() const { return path_.string(); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  static unsigned long long Tick() {
    return static_cast<unsigned long long>(std::filesystem::file_time_type::clock::now().time_since_epoch().count());
  }
  std::filesystem::path path_;
};

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
