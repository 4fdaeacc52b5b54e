#include <windows.h>

#include "app/ImageBrowserApp.h"

CImageBrowserApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
