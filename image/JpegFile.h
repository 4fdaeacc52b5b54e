#pragma once
// All JPEG reading and writing of the program, on the IJG (v6b) library interface. The calls keep
// no state between them and may run on several threads at once. No <windows.h>: the platform's
// message box and drive types come through image/ImagePlatform.h.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "image/PixelBuffer.h"

// Decodes a whole file into a new RGB buffer (top row first, R, G, B), turned upright by the
// orientation of its Exif segment (a quarter turn needs memory for a second picture: without it
// the read fails). Grayscale files give
// R = G = B; CMYK and YCCK files (Adobe's inverted CMYK included) are converted to RGB. Null for a
// file that cannot be opened or decoded; width and height are 0 unless a buffer is returned. The
// first library warning (such as a premature end of file) goes to `*warning` (when given) and
// decoding goes on; nothing is shown: the caller shows the "JPEG Error" box on the user-interface
// thread. A picture larger than PixelMemoryBudget(), or one whose memory cannot be had, is refused
// right after the header, before any decoding and without a warning; the library's own buffers
// are held to what the budget leaves beside the picture. A progressive file of more than 500 scans
// is undecodable.
inline constexpr char kJpegErrorCaption[] = "JPEG Error";
PixelBlock ReadJpegRgb(const char* path, uint32_t& width, uint32_t& height, std::string* warning = nullptr);

// A picture read at a reduced size: `width` x `height` pixels of a file whose own size is
// sourceWidth x sourceHeight, all of them upright. All sizes are 0 unless pixels are returned.
struct ScaledJpeg {
  PixelBlock pixels;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t sourceWidth = 0;
  uint32_t sourceHeight = 0;
  int scaleDenominator = 1;  // the library's decoding scale used: 1/1, 1/2, 1/4 or 1/8
  std::string warning;       // the library's first warning, as ReadJpegRgb returns it
};

// The width wanted for a picture of the given full (upright) size; 0, or not less than the width, keeps the
// full size. Called once, from the file's header. An exception it throws fails the read.
using JpegTargetWidth = std::function<uint32_t(uint32_t width, uint32_t height)>;

// Reads a file reduced to a target width T (with the height ReducedHeight(T, full size)), as
// ReadJpegRgb followed by ReduceToSize would, but decodes at the smallest of the library's scales
// 1/8, 1/4, 1/2 whose output is still at least T x that height, and area-averages the rest, so a
// small target costs a fraction of the full decoding. Without a reduction (T is 0, not less than
// the width, or gives no row) the full picture. Warnings, damaged files and refusals as
// ReadJpegRgb, the budget applying to the decoded picture; a reduction that cannot get its scratch
// memory fails the read. The result is packed RGB, top row first, upright: the reduced picture
// is turned, which matches turning before the reduction within a step of a byte.
ScaledJpeg ReadJpegRgbScaled(const char* path, const JpegTargetWidth& targetWidth);
ScaledJpeg ReadJpegRgbToWidth(const char* path, uint32_t targetWidth);

// The picture of a photo's thumbnail with a box of boxWidth x boxHeight.
struct ThumbnailPicture {
  bool decoded = false;  // the file was decoded
  bool fitsBox = false;  // decoded, and not larger than the box in both directions: no picture
  PixelBlock pixels;     // the photo upright, reduced to the box width; null unless made (a
                         // photo too wide for one row of the box width has none)
  uint32_t width = 0;
  uint32_t height = 0;
  std::string warning;  // the library's first warning, as ReadJpegRgb returns it
};

// Decodes a photo for its thumbnail: a photo larger than the box in both directions (upright)
// comes reduced to boxWidth x ReducedHeight(boxWidth, upright size), the same pixels as
// ReadJpegRgb followed by ReduceToWidth (within a step of a byte for a turned photo, which is
// reduced first and then turned). Warnings and refusals as ReadJpegRgb.
ThumbnailPicture ReadJpegThumbnail(const char* path, int boxWidth, int boxHeight);

// Encodes an RGB buffer as a baseline JPEG of the given quality (0-100). True when the file was
// written completely. A file that cannot be opened shows "JpegFile :\nCan't open <path>\n".
bool WriteJpegRgb(const char* path, const uint8_t* rgb, uint32_t width, uint32_t height, int quality);

// Writes the thumbnail file of a decoded picture. A picture larger than the thumbnail box in both
// directions is reduced in place to the box width (its pixels are spoiled for the caller) and
// encoded; a smaller one is not encoded: its own JPEG file, named after the thumbnail path, is
// copied to the thumbnail path unless that exists. True when a thumbnail was written or a copy was
// attempted. Shows nothing.
bool WriteJpegThumbnail(const char* thumbPath, uint8_t* rgb, uint32_t width, uint32_t height, int quality);

// Encodes an RGB buffer as WriteJpegRgb does, into a file the caller opened for writing (so that
// the caller chooses how it is created); the file is closed in every case. True when the file was
// written and closed completely.
bool EncodeJpegRgb(std::FILE* file, const uint8_t* rgb, uint32_t width, uint32_t height, int quality);

// The picture file a thumbnail file stands for: the thumbnail's name up to its first "." with
// ".jpg", in the same folder, or, for a thumbnail under the program's "DRVE_<letter>" folder of a
// removable or CD-ROM drive, in the matching folder of that drive.
std::string ThumbnailSourcePath(const std::string& thumbPath);
