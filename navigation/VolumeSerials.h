#pragma once
// The medium test of removable and CD-ROM drives: the volume serial number last seen in each
// drive tells a disc that was swapped from the one the tree shows.
#include <windows.h>

#include <array>
#include <optional>
#include <string>

// Index 0-25 of the drive letter `path` begins with (either case), or -1.
int DriveIndexOf(const std::string& path);
// "A:\" for index 0; "" outside 0-25.
std::string DriveRoot(int index);
// The volume serial number of drive root `root`, or nothing when no medium can be read.
std::optional<DWORD> ReadVolumeSerial(const std::string& root);

class VolumeSerialTable {
 public:
  // Stores what drive `index` holds now, without judging it (the drive list at start).
  void Remember(int index, std::optional<DWORD> serial);
  // Stores what drive `index` holds now. True when it holds a readable medium that is the one
  // seen last, or the first one seen since the drive was empty; false when it holds nothing
  // readable or another medium, so a swapped disc fails exactly one check.
  bool Check(int index, std::optional<DWORD> serial);
  std::optional<DWORD> Stored(int index) const;

 private:
  std::array<std::optional<DWORD>, 26> serials_{};
};
