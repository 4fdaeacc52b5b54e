#pragma once
// Reads Windows BMP files into RGB buffers and writes DIB-order buffers as uncompressed 24-bit
// BMP files. Failures are reported only through LastError(); callers show it themselves.
// No <windows.h>: also built with the host compiler.
#include <cstdint>
#include <string>

#include "image/PixelBuffer.h"

class BmpCodec {
 public:
  BmpCodec() = default;

  // Reads 1-, 4-, 8-, 24- and 32-bit uncompressed BMPs, bottom-up or top-down, into a new RGB
  // buffer (top row first). width and height are 0 unless a picture is returned. A picture with
  // a zero side, or one whose file is too short for its rows, fails before anything is allocated
  // (except a 24-bit file whose rows need no padding: pixels missing at its end are black).
  // Never throws: running out of memory fails with "Out of memory" or "Memory alloc Failed".
  PixelBlock ReadBmp(const char* path, uint32_t& width, uint32_t& height);

  // Writes a DIB-order buffer (bottom row first, B, G, R, packed rows) as a 24-bit BMP file,
  // rows padded to 4 bytes. The outcome is in LastError().
  void WriteBmp24(const char* path, const uint8_t* pixels, uint32_t width, uint32_t height);

  // "OK" after construction and after every successful operation, else the failure's message.
  const std::string& LastError() const { return lastError_; }
  // Bytes consumed from the file being read.
  uint64_t BytesRead() const { return bytesRead_; }

 private:
  struct Header;
  class Reader;

  static constexpr size_t kChunkBytes = 4096;

  PixelBlock ReadFile(const char* path, uint32_t& width, uint32_t& height);
  static bool MissingRowsFail(Reader& in, uint16_t bpp, uint32_t width, uint32_t rows, uint32_t dataOffset);
  PixelBlock ReadPixels(Reader& in, const Header& header, const uint8_t* palette, uint32_t colours, uint32_t width,
                        uint32_t height);
  static bool ReadRow32(Reader& in, uint8_t* row, uint32_t width);
  static bool ReadIndexedRow(Reader& in, uint8_t* row, uint32_t width, uint16_t bpp, const uint8_t* palette,
                             uint32_t colours);

  std::string lastError_ = "OK";
  uint64_t bytesRead_ = 0;
};
