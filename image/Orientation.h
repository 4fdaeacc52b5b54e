#pragma once
// The Exif orientation of a photo (how the stored picture turns to stand upright) and turning a
// picture by it. No <windows.h>: also built with the host compiler.
#include <cstddef>
#include <cstdint>

#include "image/PixelBuffer.h"

// Orientation values 1 to 8 as Exif numbers them; 1 is the picture as stored.
inline constexpr int kOrientationAsStored = 1;

// The orientation in one APP1 segment's payload (the bytes after its length field, "Exif\0\0"
// first): tag 0x0112 of type SHORT in IFD0, in either TIFF byte order. Every offset is checked
// against `length`, and no IFD past IFD0 is followed. A segment that is not Exif, is malformed,
// or holds no valid value (1 to 8) gives kOrientationAsStored.
int ExifOrientation(const uint8_t* payload, size_t length);

// Orientations 5 to 8 turn the picture by a quarter: the upright picture's width is the stored
// height.
bool OrientationSwapsSides(int orientation);

// Turns a packed RGB picture of width x height to stand upright; width and height become the
// upright size. Mirrors and half turns work in place; quarter turns need a second block, and
// when it cannot be had the result is null (the picture is dropped). Any value outside 2 to 8
// leaves the picture as it is.
PixelBlock OrientPicture(PixelBlock pixels, uint32_t& width, uint32_t& height, int orientation);
