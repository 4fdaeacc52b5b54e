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
  // buffer (top row first). width and height are 0 unless a picture is returned.
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

  PixelBlock ReadPixels(Reader& in, const Header& header, const uint8_t* palette,
                        uint32_t colours, uint32_t width, uint32_t height);

  std::string lastError_ = "OK";
  uint64_t bytesRead_ = 0;
};
