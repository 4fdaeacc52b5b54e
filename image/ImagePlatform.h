#pragma once
// The little the image code needs of the platform: the program's message box, the drive type
// and a file copy. The Windows build goes through the framework and Win32 (ImagePlatformWin.cpp);
// the host build, which runs the sanitizer tests, has a recording stand-in (ImagePlatformHost.cpp).
namespace image_platform {

// A modal box with an OK button; a null caption means the application's title.
void ShowMessage(const char* text, const char* caption);

// True for a removable or CD-ROM drive (drive letter `letter`); false for any other type or a
// drive that is not there.
bool IsRemovableOrCdRom(char letter);

// Copies a file unless the target exists; false when nothing was copied.
bool CopyFileIfAbsent(const char* from, const char* to);

}  // namespace image_platform
