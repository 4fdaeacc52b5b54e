#pragma once
// The arithmetic of painting a picture: the fit-to-window rule of the picture views, centring in
// a client rectangle and the destination on a printed page. Pure functions, no <windows.h>.
#include <cstdint>

struct PictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const PictureSize&) const = default;
};

struct PicturePlace {
  int x = 0;
  int y = 0;
  bool operator==(const PicturePlace&) const = default;
};

// Size at which a picture of w x h is drawn in a client area of clientWidth x clientHeight on a
// screen of screenWidth x screenHeight. A picture within six sevenths of the screen width and five
// sevenths of its height keeps its natural size; a larger one is scaled (single precision) to fit
// the client area, or those fractions of the screen when the client is smaller than them, unless
// the client's height times the scale still holds the picture.
PictureSize FitPictureSize(int width, int height, int clientWidth, int clientHeight, int screenWidth, int screenHeight);
// The scaling of that rule alone, for any picture size (the slide show has no shortcut).
PictureSize ScalePictureToClient(int width, int height, int clientWidth, int clientHeight, int screenWidth,
                                 int screenHeight);

// Top-left corner of a picture of the given size centred in a client area: halves truncated
// toward zero, so a picture larger than the client extends past both edges alike.
PicturePlace CentrePicture(int clientWidth, int clientHeight, int width, int height);

// Destination size of a picture printed across a page of pageWidth pixels (HORZRES) with the
// printer's pixels per inch dpiX, dpiY: the page width, and the height that keeps the picture's
// aspect on paper. 64-bit arithmetic: h x dpiY x pageWidth overflows 32 bits for real pages.
PictureSize PrintPageSize(uint32_t width, uint32_t height, int pageWidth, int dpiX, int dpiY);
