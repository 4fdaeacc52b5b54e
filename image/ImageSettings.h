#pragma once
// Process-wide picture sizes: the square thumbnail box (set at start-up and by the thumbnail size
// commands) and the wallpaper reduction target. Read by worker threads, hence atomic.
#include <atomic>

extern std::atomic<int> g_thumbnailWidth;  // always equal to g_thumbnailHeight
extern std::atomic<int> g_thumbnailHeight;
extern std::atomic<int> g_wallpaperWidth;
extern std::atomic<int> g_wallpaperHeight;

// Counts the choices of the thumbnail box: a thumbnail file made while it changed was made for a
// box that may no longer be current.
extern std::atomic<unsigned> g_thumbnailBoxChoices;

// Sets both sides of the thumbnail box, then counts the choice.
void SetThumbnailBox(int size);
