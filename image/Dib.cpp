#include "image/Dib.h"

#include "framework/File.h"
#include "image/JpegFile.h"

const CRuntimeClass CDib::kClass{"CDib", &CObject::kClass};

void CDib::Free() {
  bits.reset();
  if (info) {
    GlobalUnlock(info);
    GlobalFree(info);
    info = nullptr;
  }
  if (palette) {
    DeleteObject(palette);
    palette = nullptr;
  }
}

uint64_t CDib::Read(CFile& file) {
  Free();
  const uint64_t length = file.GetLength();
  file.Close();
  warning.clear();
  bits = ReadJpegRgb(file.GetFilePath().c_str(), width, height, &warning);
  return length;
}

void CDib::PrepareForDisplay() {
  SwapRedBlue(bits.get(), width, height);
  FlipRowsVertically(bits.get(), size_t{width} * 3, height);
}

void DrawPicture(HDC dc, const uint8_t* dibBits, uint32_t width, uint32_t height, HPALETTE palette,
                 const RECT& destination) {
  if (!dibBits) return;
  // Rows whose length is already a multiple of 4 bytes are drawn as they are: a padded copy of a
  // large photo at every paint would cost as much memory as the picture.
  const uint8_t* bits = dibBits;
  PixelBlock aligned;
  if (uint64_t{width} * 3 % 4 != 0) {
    uint32_t rowLength = 0;
    aligned = AlignRowsToDword(dibBits, width, height, rowLength);
    if (!aligned) return;
    bits = aligned.get();
  }
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = static_cast<LONG>(width);
  bmi.bmiHeader.biHeight = static_cast<LONG>(height);
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;

  HPALETTE previous = palette ? SelectPalette(dc, palette, TRUE) : nullptr;
  SetStretchBltMode(dc, COLORONCOLOR);
  const int destWidth = destination.right - destination.left;
  const int destHeight = destination.bottom - destination.top;
  // SetDIBitsToDevice maps only the origin: a DC with a scaling mapping (a preview page) always
  // stretches.
  if (destWidth == static_cast<int>(width) && destHeight == static_cast<int>(height) && GetMapMode(dc) == MM_TEXT) {
    SetDIBitsToDevice(dc, destination.left, destination.top, width, height, 0, 0, 0, height, bits, &bmi,
                      DIB_RGB_COLORS);
  } else {
    StretchDIBits(dc, destination.left, destination.top, destWidth, destHeight, 0, 0, static_cast<int>(width),
                  static_cast<int>(height), bits, &bmi, DIB_RGB_COLORS, SRCCOPY);
  }
  if (previous) SelectPalette(dc, previous, TRUE);
}

void DrawPicture(HDC dc, const CDib& picture, const RECT& destination) {
  DrawPicture(dc, picture.bits.get(), picture.width, picture.height, picture.palette, destination);
}

DibCanvas::DibCanvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_) previous_ = SelectObject(dc_, bitmap_);
}

DibCanvas::~DibCanvas() {
  if (bitmap_) {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
  }
  if (dc_) DeleteDC(dc_);
}

RECT CentredRect(const RECT& client, PictureSize size) {
  const int x = client.left + (client.right - size.width) / 2;
  const int y = client.top + (client.bottom - size.height) / 2;
  return {x, y, x + size.width, y + size.height};
}

RECT PrintPageRect(HDC printerDc, uint32_t width, uint32_t height) {
  const PictureSize page = PrintPageSize(width, height, GetDeviceCaps(printerDc, HORZRES),
                                         GetDeviceCaps(printerDc, LOGPIXELSX), GetDeviceCaps(printerDc, LOGPIXELSY));
  return {0, 0, page.width, page.height};
}
