#include "image/PictureGeometry.h"

PictureSize FitPictureSize(int width, int height, int clientWidth, int clientHeight, int screenWidth,
                           int screenHeight) {
  if (width <= 0 || height <= 0 || (width <= screenWidth * 6 / 7 && height <= screenHeight * 5 / 7))
    return {width, height};
  return ScalePictureToClient(width, height, clientWidth, clientHeight, screenWidth, screenHeight);
}

PictureSize ScalePictureToClient(int width, int height, int clientWidth, int clientHeight, int screenWidth,
                                 int screenHeight) {
  const int sixSevenths = screenWidth * 6 / 7;
  const int fiveSevenths = screenHeight * 5 / 7;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  const float sx = clientWidth < sixSevenths ? static_cast<float>(screenWidth) * 0.85714287f / w
                                             : static_cast<float>(clientWidth) / w;
  const float sy = clientHeight < fiveSevenths ? static_cast<float>(screenHeight) * 0.71428573f / h
                                               : static_cast<float>(clientHeight) / h;
  const float s = sx < sy ? sx : sy;
  if (static_cast<float>(clientHeight) * s >= h) return {width, height};
  return {static_cast<int>(w * s), static_cast<int>(h * s)};
}

PicturePlace CentrePicture(int clientWidth, int clientHeight, int width, int height) {
  return {(clientWidth - width) / 2, (clientHeight - height) / 2};
}

PictureSize PrintPageSize(uint32_t width, uint32_t height, int pageWidth, int dpiX, int dpiY) {
  if (width == 0 || dpiX <= 0 || dpiY <= 0 || pageWidth <= 0) return {pageWidth > 0 ? pageWidth : 0, 0};
  const uint64_t pageHeight = uint64_t{height} * static_cast<uint64_t>(dpiY) * static_cast<uint64_t>(pageWidth) /
                              (uint64_t{width} * static_cast<uint64_t>(dpiX));
  return {pageWidth, pageHeight > INT32_MAX ? INT32_MAX : static_cast<int>(pageHeight)};
}
