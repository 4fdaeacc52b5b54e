#include "viewer/PagePicture.h"

#include "image/Dib.h"

RECT FitPictureOnPage(uint32_t width, uint32_t height, int horzRes, int vertRes, int dpiX, int dpiY) {
  if (width == 0 || height == 0 || horzRes <= 0 || vertRes <= 0 || dpiX <= 0 || dpiY <= 0) return {0, 0, 0, 0};
  // Across the page's width, the height following the picture's aspect on paper...
  int64_t w = horzRes;
  int64_t h = int64_t{height} * dpiY * horzRes / (int64_t{width} * dpiX);
  // ...unless that is taller than the page: then the page's height, the width following.
  if (h > vertRes) {
    h = vertRes;
    w = int64_t{width} * dpiX * vertRes / (int64_t{height} * dpiY);
  }
  const int x = static_cast<int>((horzRes - w) / 2);
  const int y = static_cast<int>((vertRes - h) / 2);
  return {x, y, x + static_cast<int>(w), y + static_cast<int>(h)};
}

void StretchPictureTo(HDC dc, const uint8_t* dibBits, uint32_t width, uint32_t height, const RECT& destination) {
  if (width == 0 || height == 0) return;
  DrawPicture(dc, dibBits, width, height, nullptr, destination);
}
