#pragma once
// Files, drives and watchers shared by the thumbnail tests.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "image/PictureGeometry.h"

// The test drives that run-with-drives.sh sets up.
inline constexpr char kCdRomDrive[] = "R:\\";
inline constexpr char kRemovableDrive[] = "S:\\";

// A JPEG of the given size with a colour gradient; true when written.
bool WriteTestJpeg(const std::string& path, uint32_t width, uint32_t height);

// The decoded size of a JPEG file; 0 x 0 when it does not decode.
PictureSize JpegSize(const std::string& path);

// A file's attributes without the archive bit, which Wine reports on every regular file.
uint32_t AttributesOf(const std::string& path);

// Names in `folder` matching `mask`, sorted, without "." and "..".
std::vector<std::string> FileNames(const std::string& folder, const std::string& mask = "*");

// A fresh folder on one of the test drives, removed with its contents at the end.
class DriveFolder {
 public:
  explicit DriveFolder(const std::string& drive);
  ~DriveFolder();
  DriveFolder(const DriveFolder&) = delete;
  DriveFolder& operator=(const DriveFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

// Records every thumbnail writer while it lives: how many threads wrote each file at the same
// time, how often each was written, and the priority of the writing threads.
class WriterLog {
 public:
  WriterLog();
  ~WriterLog();
  WriterLog(const WriterLog&) = delete;
  WriterLog& operator=(const WriterLog&) = delete;

  int MostAtOnce();
  std::map<std::string, int> Writes();  // by upper-cased path
  std::vector<int> Priorities();
  // The thread priority of the last writer of each file, by upper-cased path.
  std::map<std::string, int> WriterPriorities();

 private:
  static void Observe(const std::string& thumbPath, bool starting);
};

// Another process of this program, held suspended until ended: a process id that is really in use
// (or, after End, one that no longer is).
class ChildProcess {
 public:
  ChildProcess();
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool Started() const { return process_ != nullptr; }
  uint32_t Id() const { return id_; }
  // Ends the process and waits until it has gone.
  void End();

 private:
  void* process_ = nullptr;
  uint32_t id_ = 0;
};

// The name a thumbnail writer of process `writer` gives its temporary file number `counter`.
std::string TemporaryName(uint32_t writer, uint32_t counter);
