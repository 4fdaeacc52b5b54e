#pragma once
// Gives a JPEG file an Exif segment holding only the orientation tag, right after its start
// marker, as cameras write it. Header-only and portable: the image tests also run natively.
#include <fstream>
#include <iterator>
#include <string>

inline std::string ExifOrientationSegment(int orientation, bool motorola) {
  const char order = motorola ? 'M' : 'I';
  auto u16 = [motorola](unsigned v) {
    return motorola ? std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}
                    : std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  };
  auto u32 = [&u16, motorola](unsigned v) {
    return motorola ? u16(v >> 16) + u16(v & 0xFFFF) : u16(v & 0xFFFF) + u16(v >> 16);
  };
  std::string payload = std::string("Exif\0\0", 6) + order + order + u16(42) + u32(8);
  payload += u16(1) + u16(0x0112) + u16(3) + u32(1) + u16(static_cast<unsigned>(orientation)) + u16(0) + u32(0);
  const size_t length = payload.size() + 2;
  return std::string{'\xFF', '\xE1', static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + payload;
}

// True when the file at `path` was rewritten with the segment.
inline bool AddExifOrientation(const std::string& path, int orientation, bool motorola = false) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (bytes.size() < 2) return false;
  bytes.insert(2, ExifOrientationSegment(orientation, motorola));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}
