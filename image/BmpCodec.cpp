#include "image/BmpCodec.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

void PutLittleEndian(uint8_t* to, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) to[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

struct BmpCodec::Header {
  uint32_t fileSize = 0;
  uint16_t reserved1 = 0;
  uint16_t reserved2 = 0;
  uint32_t dataOffset = 0;
  uint32_t headerSize = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 0;
  uint16_t bitsPerPixel = 0;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  int32_t xResolution = 0;
  int32_t yResolution = 0;
  uint32_t coloursUsed = 0;
  uint32_t importantColours = 0;
};

// Reads from the file and counts every byte consumed in the codec's bytesRead.
class BmpCodec::Reader {
 public:
  Reader(std::FILE* file, uint64_t& bytesRead) : file_(file), bytesRead_(bytesRead) {}

  bool Byte(uint8_t& value) {
    int c = std::getc(file_.get());
    if (c == EOF) return false;
    value = static_cast<uint8_t>(c);
    ++bytesRead_;
    return true;
  }

  template <typename T>
  bool Field(T& value) {
    uint8_t bytes[sizeof(T)];
    if (std::fread(bytes, 1, sizeof bytes, file_.get()) != sizeof bytes) return false;
    bytesRead_ += sizeof bytes;
    uint32_t v = 0;
    for (size_t i = 0; i < sizeof bytes; ++i) v |= uint32_t{bytes[i]} << (8 * i);
    value = static_cast<T>(v);
    return true;
  }

  // Reads up to `count` bytes; bytesRead grows by what was read.
  size_t Block(uint8_t* to, size_t count) {
    size_t got = std::fread(to, 1, count, file_.get());
    bytesRead_ += got;
    return got;
  }

  // Counts bytes as consumed although they could not be read: a short row still moves the row
  // padding as a full row does.
  void CountMissing(size_t count) { bytesRead_ += count; }

  // The size of a plain file; false for anything else (a pipe, a device).
  bool FileSize(uint64_t& size) const {
#ifdef _WIN32
    struct _stat64 status {};
    if (_fstat64(_fileno(file_.get()), &status) != 0 || !(status.st_mode & _S_IFREG)) return false;
#else
    struct stat status;
    if (fstat(fileno(file_.get()), &status) != 0 || !S_ISREG(status.st_mode)) return false;
#endif
    size = static_cast<uint64_t>(status.st_size);
    return true;
  }

  bool SkipTo(uint64_t offset) {
    uint8_t ignored;
    while (bytesRead_ < offset)
      if (!Byte(ignored)) return false;
    return true;
  }

  // Rows are padded to 4 bytes counted from the pixel data.
  bool SkipRowPadding(uint64_t dataOffset) {
    uint8_t ignored;
    while ((bytesRead_ - dataOffset) % 4 != 0)
      if (!Byte(ignored)) return false;
    return true;
  }

 private:
  FileHandle file_;
  uint64_t& bytesRead_;
};

PixelBlock BmpCodec::ReadBmp(const char* path, uint32_t& width, uint32_t& height) {
  try {
    return ReadFile(path, width, height);
  } catch (const std::bad_alloc&) {
    // Only the texts can throw; a short text fits the string without allocating.
    width = height = 0;
    lastError_ = "Out of memory";
    return nullptr;
  }
}

PixelBlock BmpCodec::ReadFile(const char* path, uint32_t& width, uint32_t& height) {
  lastError_ = "OK";
  bytesRead_ = 0;
  width = height = 0;
  std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (!file) {
    lastError_ = std::string("Can't open file for reading :\n") + (path ? path : "");
    return nullptr;
  }
  Reader in(file, bytesRead_);

  uint8_t b = 0, m = 0;
  if (!in.Byte(b) || b != 'B' || !in.Byte(m) || m != 'M') {
    lastError_ = "Not a valid BMP File";
    return nullptr;
  }
  Header h;
  if (!in.Field(h.fileSize) || !in.Field(h.reserved1) || !in.Field(h.reserved2) || !in.Field(h.dataOffset) ||
      !in.Field(h.headerSize) || !in.Field(h.width) || !in.Field(h.height) || !in.Field(h.planes) ||
      !in.Field(h.bitsPerPixel) || !in.Field(h.compression) || !in.Field(h.imageSize) || !in.Field(h.xResolution) ||
      !in.Field(h.yResolution) || !in.Field(h.coloursUsed) || !in.Field(h.importantColours)) {
    lastError_ = "Read Error!";
    return nullptr;
  }
  if (h.compression != 0) {
    lastError_ = "This is a compressed file.";
    return nullptr;
  }
  // Older 12-byte headers have other fields; newer, longer ones extend this one, and the colour
  // table follows them.
  if (h.headerSize < kInfoHeaderBytes) {
    lastError_ = "Unsupported BMP header size " + std::to_string(h.headerSize);
    return nullptr;
  }
  const uint16_t bpp = h.bitsPerPixel;
  const bool indexed = bpp == 1 || bpp == 4 || bpp == 8;
  if (!indexed && bpp != 24 && bpp != 32) {
    lastError_ = "Unsupported BMP format: " + std::to_string(bpp) + " bits per pixel";
    return nullptr;
  }

  std::array<uint8_t, size_t{4} * 256> palette{};
  uint32_t colours = 0;
  if (indexed) {
    colours = h.coloursUsed != 0 ? h.coloursUsed : 1u << bpp;
    if (colours > (1u << bpp)) {
      lastError_ = "Corrupt palette";
      return nullptr;
    }
    if (!in.SkipTo(kFileHeaderBytes + uint64_t{h.headerSize}) ||
        in.Block(palette.data(), size_t{4} * colours) != size_t{4} * colours) {
      lastError_ = "Read Error!";
      return nullptr;
    }
  }
  if (bytesRead_ > h.dataOffset) {
    lastError_ = "Corrupt palette";
    return nullptr;
  }
  if (!in.SkipTo(h.dataOffset)) {
    lastError_ = "Read Error!";
    return nullptr;
  }

  // Every check on the size comes before any buffer is sized from it.
  if (h.width <= 0) {
    lastError_ = "Invalid BMP width " + std::to_string(h.width);
    return nullptr;
  }
  if (h.height == 0) {
    lastError_ = "Invalid BMP height 0";
    return nullptr;
  }
  // Negative heights mark top-down files.
  const uint32_t w = static_cast<uint32_t>(h.width);
  const uint32_t rows = h.height < 0 ? 0u - static_cast<uint32_t>(h.height) : static_cast<uint32_t>(h.height);
  if (PackedPictureBytes(w, rows) > kMaxPixelBytes) {
    lastError_ = "Picture too large: " + std::to_string(w) + " x " + std::to_string(rows);
    return nullptr;
  }
  if (MissingRowsFail(in, bpp, w, rows, h.dataOffset)) {
    lastError_ = "Read Error";
    return nullptr;
  }
  PixelBlock picture = ReadPixels(in, h, palette.data(), colours, w, rows);
  if (picture) {
    width = w;
    height = rows;
  }
  return picture;
}

// A file too short for its rows fails at its first missing byte of row padding or indexed data,
// and 32-bit files fail alike: that is known from the file's size before the picture is
// allocated. Only 24-bit rows without padding keep what the file has, the rest black.
bool BmpCodec::MissingRowsFail(Reader& in, uint16_t bpp, uint32_t width, uint32_t rows, uint32_t dataOffset) {
  const uint64_t fileRowBytes = (uint64_t{width} * bpp + 31) / 32 * 4;
  if (bpp == 24 && fileRowBytes == uint64_t{width} * 3) return false;
  uint64_t size = 0;
  if (!in.FileSize(size)) return false;  // not a plain file: the rows tell as they are read
  const uint64_t needed = uint64_t{dataOffset} + fileRowBytes * rows;
  return size < needed;
}

PixelBlock BmpCodec::ReadPixels(Reader& in, const Header& h, const uint8_t* palette, uint32_t colours, uint32_t width,
                                uint32_t height) {
  PixelBlock picture = AllocatePixels(PackedPictureBytes(width, height));
  if (!picture) {
    lastError_ = "Memory alloc Failed";
    return nullptr;
  }
  const uint16_t bpp = h.bitsPerPixel;
  const size_t rowBytes = size_t{width} * 3;
  const bool topDown = h.height < 0;
  for (uint32_t fileRowIndex = 0; fileRowIndex < height; ++fileRowIndex) {
    uint8_t* row = picture.get() + rowBytes * (topDown ? fileRowIndex : height - 1 - fileRowIndex);
    bool complete = true;
    if (bpp == 24) {
      // Pixels of a short row that were not read are black.
      const size_t got = in.Block(row, rowBytes);
      in.CountMissing(rowBytes - got);
      const size_t pixels = got / 3;
      for (size_t x = 0; x < pixels; ++x) std::swap(row[3 * x], row[3 * x + 2]);
      std::memset(row + pixels * 3, 0, rowBytes - pixels * 3);
    } else if (bpp == 32) {
      complete = ReadRow32(in, row, width);
    } else {
      complete = ReadIndexedRow(in, row, width, bpp, palette, colours);
    }
    if (!complete || !in.SkipRowPadding(h.dataOffset)) {
      lastError_ = "Read Error";
      return nullptr;
    }
  }
  return picture;
}

// File rows are read through a small buffer, whatever the width.
bool BmpCodec::ReadRow32(Reader& in, uint8_t* row, uint32_t width) {
  uint8_t chunk[kChunkBytes];
  for (uint32_t x = 0; x < width;) {
    const uint32_t pixels = std::min<uint32_t>(width - x, kChunkBytes / 4);
    if (in.Block(chunk, size_t{pixels} * 4) != size_t{pixels} * 4) return false;
    for (uint32_t i = 0; i < pixels; ++i, ++x) {
      row[3 * size_t{x}] = chunk[4 * i + 2];
      row[3 * size_t{x} + 1] = chunk[4 * i + 1];
      row[3 * size_t{x} + 2] = chunk[4 * size_t{i}];
    }
  }
  return true;
}

bool BmpCodec::ReadIndexedRow(Reader& in, uint8_t* row, uint32_t width, uint16_t bpp, const uint8_t* palette,
                              uint32_t colours) {
  const unsigned perByte = 8 / bpp;
  const unsigned mask = (1u << bpp) - 1;
  uint8_t chunk[kChunkBytes];
  for (uint32_t x = 0; x < width;) {
    const uint32_t pixels = std::min<uint32_t>(width - x, kChunkBytes * perByte);
    const size_t bytes = (size_t{pixels} + perByte - 1) / perByte;
    if (in.Block(chunk, bytes) != bytes) return false;
    for (uint32_t i = 0; i < pixels; ++i, ++x) {
      const unsigned bit = i * bpp;
      const unsigned index = (chunk[bit / 8] >> (8 - bpp - bit % 8)) & mask;
      // Indices beyond the colour table are black.
      const uint8_t* entry = palette + 4 * size_t{index};
      const bool known = index < colours;
      row[3 * size_t{x}] = known ? entry[2] : 0;
      row[3 * size_t{x} + 1] = known ? entry[1] : 0;
      row[3 * size_t{x} + 2] = known ? entry[0] : 0;
    }
  }
  return true;
}

void BmpCodec::WriteBmp24(const char* path, const uint8_t* pixels, uint32_t width, uint32_t height) {
  lastError_ = "OK";
  const uint64_t paddedRow = AlignedRowLength(width);
  const uint64_t fileSize = kHeaderBytes + paddedRow * height;
  if (width > INT32_MAX || height > INT32_MAX || fileSize > UINT32_MAX) {
    lastError_ = "Picture too large: " + std::to_string(width) + " x " + std::to_string(height);
    return;
  }
  if (!pixels && width != 0 && height != 0) {
    lastError_ = "No picture to write";
    return;
  }
  FileHandle file(path ? std::fopen(path, "wb") : nullptr);
  if (!file) {
    lastError_ = "Can't open file for writing";
    return;
  }
  uint8_t header[kHeaderBytes] = {'B', 'M'};
  PutLittleEndian(header + 2, static_cast<uint32_t>(fileSize), 4);
  PutLittleEndian(header + 10, kHeaderBytes, 4);
  PutLittleEndian(header + 14, kInfoHeaderBytes, 4);
  PutLittleEndian(header + 18, width, 4);
  PutLittleEndian(header + 22, height, 4);
  PutLittleEndian(header + 26, 1, 2);
  PutLittleEndian(header + 28, 24, 2);

  const size_t rowBytes = size_t{width} * 3;
  const size_t padding = static_cast<size_t>(paddedRow) - rowBytes;
  const uint8_t zeros[4] = {};
  bool written = std::fwrite(header, 1, sizeof header, file.get()) == sizeof header;
  for (uint32_t row = 0; written && row < height; ++row) {
    written = std::fwrite(pixels + row * rowBytes, 1, rowBytes, file.get()) == rowBytes &&
              std::fwrite(zeros, 1, padding, file.get()) == padding;
  }
  // Closing flushes the last buffered bytes, which can fail as well.
  if (std::fclose(file.release()) != 0) written = false;
  if (!written) lastError_ = "fwrite error\nGiving up";
}
