#pragma once
// Setting a JPEG picture as the desktop wallpaper: decoded, reduced when wider or taller than the
// screen, written as the 24-bit BMP "Luma Vex.bmp" in the Windows folder (or the user's own folder)
// and registered with the system. User-interface thread.
#include <cstdint>
#include <string>

// The size a width x height picture takes as wallpaper on a screen of screenWidth x screenHeight.
// A picture that fits keeps its size. One wider than the screen is reduced to the screen's width;
// one only taller to the screen's height, its width lowered to a multiple of 4. The height of a
// reduced picture is the one the reduction produces. A zero width or height means nothing can be
// made.
struct WallpaperSize {
  uint32_t width = 0;
  uint32_t height = 0;
  bool reduced = false;
};
WallpaperSize WallpaperSizeFor(uint32_t width, uint32_t height, int screenWidth, int screenHeight);

// The wallpaper bitmap in the Windows folder: "<Windows folder>\Luma Vex.bmp"; "" when the folder
// is unknown.
std::string WallpaperFile();
// Where the bitmap goes when the Windows folder cannot be written (a standard user's):
// "<local application data>\Lumavex\Luma Vex.bmp"; "" when that folder is unknown.
std::string UserWallpaperFile();

// Makes the picture file `path` the wallpaper: the bitmap is written into the Windows folder, else
// into the user's folder, and the system is given the file written. Nothing is installed, and
// the current wallpaper and bitmaps stay as they were, when the picture cannot be decoded or
// reduced, its wallpaper size is empty, or no bitmap can be written (each is written to a
// temporary file beside it and then moved into place). False in those cases; a bitmap that could
// not be written or installed is told to the user.
bool SetAsWallpaper(const std::string& path);
