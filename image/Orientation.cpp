#include "image/Orientation.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kTiffHeaderBytes = 8;
constexpr size_t kEntryBytes = 12;

class TiffBytes {
 public:
  TiffBytes(const uint8_t* data, size_t length, bool bigEndian) : data_(data), length_(length), big_(bigEndian) {}

  bool Has(size_t offset, size_t count) const { return offset <= length_ && count <= length_ - offset; }
  uint16_t U16(size_t offset) const {
    const uint8_t* p = data_ + offset;
    return static_cast<uint16_t>(big_ ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
  }
  uint32_t U32(size_t offset) const {
    const uint32_t a = U16(offset), b = U16(offset + 2);
    return big_ ? (a << 16) | b : (b << 16) | a;
  }

 private:
  const uint8_t* data_;
  size_t length_;
  bool big_;
};

// Where upright pixel (x, y) comes from in the stored picture: source = base + x * dx + y * dy,
// in pixels, for the stored width w and height h.
struct Walk {
  int64_t base, dx, dy;
};

Walk WalkFor(int orientation, uint32_t w, uint32_t h) {
  const int64_t W = w, H = h;
  switch (orientation) {
    case 5: return {0, W, 1};                      // transposed
    case 6: return {(H - 1) * W, -W, 1};           // a quarter turn clockwise
    case 7: return {(H - 1) * W + W - 1, -W, -1};  // transposed the other way
    case 8: return {W - 1, W, -1};                 // a quarter turn counter-clockwise
    default: return {0, 1, W};
  }
}

void MirrorRows(uint8_t* block, uint32_t width, uint32_t height) {
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = block + size_t{y} * width * 3;
    for (uint32_t left = 0, right = width; left + 1 < right; ++left, --right)
      std::swap_ranges(row + size_t{left} * 3, row + size_t{left} * 3 + 3, row + size_t{right - 1} * 3);
  }
}

}  // namespace

int ExifOrientation(const uint8_t* payload, size_t length) {
  static constexpr uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
  if (!payload || length < sizeof kExif + kTiffHeaderBytes || std::memcmp(payload, kExif, sizeof kExif) != 0)
    return kOrientationAsStored;
  const uint8_t* tiff = payload + sizeof kExif;
  const size_t size = length - sizeof kExif;
  bool big = false;
  if (tiff[0] == 'M' && tiff[1] == 'M')
    big = true;
  else if (!(tiff[0] == 'I' && tiff[1] == 'I'))
    return kOrientationAsStored;
  const TiffBytes bytes(tiff, size, big);
  if (bytes.U16(2) != 42) return kOrientationAsStored;
  const uint32_t ifd = bytes.U32(4);
  if (ifd < kTiffHeaderBytes || !bytes.Has(ifd, 2)) return kOrientationAsStored;
  const uint16_t entries = bytes.U16(ifd);
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t entry = ifd + 2 + size_t{i} * kEntryBytes;
    if (!bytes.Has(entry, kEntryBytes)) return kOrientationAsStored;
    if (bytes.U16(entry) != kOrientationTag) continue;
    if (bytes.U16(entry + 2) != kTypeShort || bytes.U32(entry + 4) != 1) return kOrientationAsStored;
    const uint16_t value = bytes.U16(entry + 8);
    return value >= 1 && value <= 8 ? value : kOrientationAsStored;
  }
  return kOrientationAsStored;
}

bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

PixelBlock OrientPicture(PixelBlock pixels, uint32_t& width, uint32_t& height, int orientation) {
  if (!pixels || orientation < 2 || orientation > 8) return pixels;
  if (orientation == 2 || orientation == 3) MirrorRows(pixels.get(), width, height);
  if (orientation == 3 || orientation == 4) FlipRowsVertically(pixels.get(), size_t{width} * 3, height);
  if (!OrientationSwapsSides(orientation)) return pixels;

  PixelBlock turned = AllocatePixels(PackedPictureBytes(width, height));
  if (!turned) return nullptr;
  const uint32_t uprightWidth = height, uprightHeight = width;
  const Walk walk = WalkFor(orientation, width, height);
  const uint8_t* from = pixels.get();
  // In tiles, so that the stored picture's rows stay in the cache while its columns are read.
  constexpr uint32_t kTile = 32;
  for (uint32_t y0 = 0; y0 < uprightHeight; y0 += kTile) {
    const uint32_t y1 = std::min(uprightHeight, y0 + kTile);
    for (uint32_t x0 = 0; x0 < uprightWidth; x0 += kTile) {
      const uint32_t x1 = std::min(uprightWidth, x0 + kTile);
      for (uint32_t y = y0; y < y1; ++y) {
        uint8_t* to = turned.get() + (size_t{y} * uprightWidth + x0) * 3;
        int64_t source = walk.base + int64_t{x0} * walk.dx + int64_t{y} * walk.dy;
        for (uint32_t x = x0; x < x1; ++x, to += 3, source += walk.dx) std::memcpy(to, from + source * 3, 3);
      }
    }
  }
  width = uprightWidth;
  height = uprightHeight;
  return turned;
}
