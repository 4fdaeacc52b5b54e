#pragma once
// Pictures on a printed page: one photo fitted to the printable area and centred, and the transfer
// of a DIB-order picture into a rectangle of a printer (or preview) DC.
#include <windows.h>

#include <cstdint>

// Where a picture of width x height goes on a page of horzRes x vertRes printer pixels at
// dpiX x dpiY: as large as the page allows with the picture's aspect on paper, centred.
RECT FitPictureOnPage(uint32_t width, uint32_t height, int horzRes, int vertRes, int dpiX, int dpiY);

// Draws a DIB-order picture (rows packed) into `destination` through DrawPicture, so that a DC's
// scaling mapping (a preview page) applies; COLORONCOLOR. Nothing for no pixels or when a padded
// copy cannot be had.
void StretchPictureTo(HDC dc, const uint8_t* dibBits, uint32_t width, uint32_t height, const RECT& destination);
