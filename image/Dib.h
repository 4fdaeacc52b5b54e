#pragma once
// The picture object: one pixel block with its size, loaded from a JPEG file, and the shared way
// of painting a picture into a window or onto a printer page.
// Ownership: whoever reads a picture owns it (a view as a member, a print job for one cell) and
// frees it; one thread at a time, any thread.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Object.h"
#include "image/PictureGeometry.h"
#include "image/PixelBuffer.h"

class CFile;

class CDib : public CObject {
 public:
  LUMAVEX_RUNTIME_CLASS

  CDib() = default;
  ~CDib() override { Free(); }
  CDib(const CDib&) = delete;
  CDib& operator=(const CDib&) = delete;

  // Releases the pixels, the bitmap information and the palette; width and height stay.
  void Free();
  // Loads the JPEG file open in `file`: the file's handle is closed and its path decoded. An
  // undecodable file leaves the object empty (no bits, 0 x 0); the library's warning, if any, is
  // kept in `warning` for the caller to show. Returns the file's length in bytes.
  uint64_t Read(CFile& file);
  // Turns the RGB pixels of Read into DIB order (bottom row first, B, G, R) for painting.
  void PrepareForDisplay();

  HPALETTE palette = nullptr;  // owned; selected while painting when present
  PixelBlock bits;             // RGB after Read, DIB order after PrepareForDisplay
  HGLOBAL info = nullptr;      // owned bitmap information block, when present
  uint32_t width = 0;
  uint32_t height = 0;
  std::string warning;  // of the last Read
};

// Paints a DIB-order picture into `destination`: 1:1 with SetDIBitsToDevice when the sizes are
// equal in a DC without scaling (MM_TEXT), else stretched with StretchDIBits; COLORONCOLOR stretching, the palette (if
// any) selected as a background palette. A picture without pixels paints nothing.
void DrawPicture(HDC dc, const uint8_t* dibBits, uint32_t width, uint32_t height, HPALETTE palette,
                 const RECT& destination);
void DrawPicture(HDC dc, const CDib& picture, const RECT& destination);

// A 24-bit bottom-up DIB section of width x height selected into a memory DC, for composing a
// picture off screen. Not valid when the DC or the bitmap cannot be made (large pictures in a
// 32-bit process); drawing then has to do without it.
class DibCanvas {
 public:
  DibCanvas(int width, int height);
  ~DibCanvas();
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  bool Valid() const { return bitmap_ != nullptr; }
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Runs use(bitmap) with the bitmap out of the DC, for calls that refuse a selected bitmap (an
  // image list copying it), and returns what it returns.
  template <class Use>
  auto WithBitmapDeselected(Use use) {
    SelectObject(dc_, previous_);
    auto result = use(bitmap_);
    SelectObject(dc_, bitmap_);
    return result;
  }

 private:
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// Where a picture of `size` (see FitPictureSize) goes in a client rectangle: centred, halves
// truncated toward zero.
RECT CentredRect(const RECT& client, PictureSize size);

// Where a picture goes on a printer page: across the printable width from the top-left corner,
// its height following the picture's aspect corrected for the printer's pixel aspect.
RECT PrintPageRect(HDC printerDc, uint32_t width, uint32_t height);
