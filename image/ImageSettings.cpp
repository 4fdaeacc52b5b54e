#include "image/ImageSettings.h"

std::atomic<int> g_thumbnailWidth{96};
std::atomic<int> g_thumbnailHeight{96};
std::atomic<int> g_wallpaperWidth{504};
std::atomic<int> g_wallpaperHeight{504};
std::atomic<unsigned> g_thumbnailBoxChoices{0};

void SetThumbnailBox(int size) {
  g_thumbnailWidth = size;
  g_thumbnailHeight = size;
  // After the box: a writer that reads this count and then the box reads the new box.
  ++g_thumbnailBoxChoices;
}
