#pragma once
// Setting a JPEG picture as the desktop wallpaper: decoded, reduced when wider or taller than the
// screen, written as the 24-bit BMP "Luma Vex.bmp" in the Windows folder and registered with the
// system. User-interface thread.
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

// The wallpaper bitmap: "<Windows folder>\Luma Vex.bmp"; "" when the folder is unknown.
std::string WallpaperFile();

// Makes the picture file `path` the wallpaper. Nothing is installed, and the current wallpaper
// bitmap stays as it was, when the picture cannot be decoded or reduced, its wallpaper size is
// empty, or the bitmap cannot be written: the bitmap is written to a temporary file beside it and
// then moved into place. False in those cases.
bool SetAsWallpaper(const std::string& path);
