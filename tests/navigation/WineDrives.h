#pragma once
// Drives of the Wine prefix, defined through its mount manager the way the drive configuration
// tool does it: a change takes effect at once, in this process too. Wine reads a drive's volume
// serial number (the hex number in ".windows-serial" in the drive's folder) when the drive is
// defined, so swapping a disc is rewriting that file and defining the drive again.
#include <windows.h>

#include <string>

// The Unix path of a Windows path, or "" when Wine cannot tell.
std::string UnixPathOf(const std::string& windowsPath);

// Makes `letter` a drive of `type` (DRIVE_FIXED, DRIVE_CDROM, DRIVE_REMOVABLE, ...) whose root
// is the Windows folder `folder`.
bool DefineDrive(char letter, UINT type, const std::string& folder);
// A CD-ROM drive without a disc: the drive exists, its root cannot be read.
bool DefineEmptyCdromDrive(char letter);
bool RemoveDrive(char letter);

// Writes the serial number a drive defined on `folder` reports.
bool WriteVolumeSerial(const std::string& folder, DWORD serial);
