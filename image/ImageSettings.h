#pragma once
// Process-wide picture sizes: the square thumbnail box (set at start-up and by the thumbnail size
// commands) and the wallpaper reduction target. Read by worker threads, hence atomic.
#include <atomic>

extern std::atomic<int> g_thumbnailWidth;  // always equal to g_thumbnailHeight
extern std::atomic<int> g_thumbnailHeight;
extern std::atomic<int> g_wallpaperWidth;
extern std::atomic<int> g_wallpaperHeight;

// Sets both sides of the thumbnail box.
void SetThumbnailBox(int size);
