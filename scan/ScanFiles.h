#pragma once
// The saving of scans: the transfer file a source writes into the current folder, and its
// conversion into the folder's next free numbered JPEG file. Runs on the user-interface thread.
#include <string>

#include "browser/FileNames.h"  // SameFolder

inline constexpr int kLastScanNumber = 99999;
inline constexpr int kLastTransferNumber = 9999;
// Longest FileName of the transfer record, without its terminating zero.
inline constexpr size_t kMaxTransferPath = 255;

// "~Lumavex scan 0001.bmp" for 1: a name of the program's own, all of one length.
std::string ScanTransferName(int number);
// The transfer file `number` in `folder`, or "" when there is no folder or the path does not fit.
std::string ScanTransferPath(const std::string& folder, int number = 1);
// Reserves the first transfer file in `folder` that no file has by creating it, empty, only if
// no file of that name exists; the source then writes the scan over it. "" when there is no
// folder, the path does not fit, or the folder refuses new files.
std::string ReserveScanTransfer(const std::string& folder);
// Marks the transfer file hidden while it waits for its conversion, then deletes it.
void HideScanTransfer(const std::string& path);
void DeleteScanTransfer(const std::string& path);

// "Img00001.jpg" for 1.
std::string ScanFileName(int number);

// Reserves the lowest free name Img00001.jpg ... Img<last>.jpg in `folder` by creating it, empty,
// only if no file of that name exists (so nothing is ever overwritten, also against another
// process). The full path, or "" when every name is taken or the folder refuses new files (not
// found, access denied, disk full); `refused`, when given, tells which: true for the folder.
std::string ReserveScanName(const std::string& folder, int last = kLastScanNumber, bool* refused = nullptr);

// The number of a scan file name, "Img" + five digits + ".jpg" in any case; 0 for any other name.
int ScanFileNumber(const std::string& name);

struct ScanSaveResult {
  enum Outcome { kSaved, kUnreadable, kNoFreeName, kWriteError };
  Outcome outcome = kSaved;
  std::string message;  // what to show the user; empty when saved
  std::string path;     // the JPEG file written
};

// Converts the BMP at `bmpPath` into the next free numbered JPEG (quality 75) in `folder`.
// A file whose writing failed is deleted again. A folder that refuses the new file is a write
// error like a failed encoding; kNoFreeName only when every name is taken.
ScanSaveResult SaveScan(const std::string& bmpPath, const std::string& folder, int last = kLastScanNumber);
