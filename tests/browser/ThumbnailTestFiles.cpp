#include "tests/browser/ThumbnailTestFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "browser/ThumbnailFiles.h"
#include "image/JpegFile.h"
#include "tests/support/TempDir.h"

bool WriteTestJpeg(const std::string& path, uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(size_t{width} * height * 3);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(size_t{y} * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / width);
      p[1] = static_cast<uint8_t>(y * 255 / height);
      p[2] = static_cast<uint8_t>((x + y) & 0xFF);
    }
  }
  const size_t cut = path.rfind('\\');
  if (cut != std::string::npos) MakeFolders(path.substr(0, cut));
  return WriteJpegRgb(path.c_str(), rgb.data(), width, height, 75);
}

PictureSize JpegSize(const std::string& path) {
  uint32_t width = 0;
  uint32_t height = 0;
  PixelBlock pixels = ReadJpegRgb(path.c_str(), width, height);
  return PictureSize{static_cast<int>(width), static_cast<int>(height)};
}

uint32_t AttributesOf(const std::string& path) {
  return GetFileAttributesA(path.c_str()) & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE);
}

std::vector<std::string> FileNames(const std::string& folder, const std::string& mask) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\" + mask).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

DriveFolder::DriveFolder(const std::string& drive) {
  static std::atomic<unsigned> counter{0};
  char name[64];
  std::snprintf(name, sizeof name, "t%lu_%u", GetCurrentProcessId(), counter++);
  path_ = drive + name;
  MakeFolders(path_);
}

DriveFolder::~DriveFolder() { RemoveTree(path_); }

namespace {

struct LogState {
  std::mutex lock;
  std::map<std::string, int> active;
  std::map<std::string, int> writes;
  std::vector<int> priorities;
  std::map<std::string, int> writerPriorities;
  int mostAtOnce = 0;
};

LogState& State() {
  static LogState state;
  return state;
}

std::string Upper(std::string s) {
  CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

}  // namespace

WriterLog::WriterLog() {
  LogState& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  s.active.clear();
  s.writes.clear();
  s.priorities.clear();
  s.writerPriorities.clear();
  s.mostAtOnce = 0;
  SetThumbnailWriteObserver(&WriterLog::Observe);
}

WriterLog::~WriterLog() { SetThumbnailWriteObserver(nullptr); }

void WriterLog::Observe(const std::string& thumbPath, bool starting) {
  LogState& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  const std::string key = Upper(thumbPath);
  if (!starting) {
    --s.active[key];
    return;
  }
  s.mostAtOnce = std::max(s.mostAtOnce, ++s.active[key]);
  ++s.writes[key];
  s.priorities.push_back(GetThreadPriority(GetCurrentThread()));
  s.writerPriorities[key] = s.priorities.back();
}

int WriterLog::MostAtOnce() {
  std::lock_guard<std::mutex> hold(State().lock);
  return State().mostAtOnce;
}

std::map<std::string, int> WriterLog::Writes() {
  std::lock_guard<std::mutex> hold(State().lock);
  return State().writes;
}

std::map<std::string, int> WriterLog::WriterPriorities() {
  std::lock_guard<std::mutex> hold(State().lock);
  return State().writerPriorities;
}

std::vector<int> WriterLog::Priorities() {
  std::lock_guard<std::mutex> hold(State().lock);
  return State().priorities;
}

ChildProcess::ChildProcess() {
  char program[MAX_PATH];
  if (!GetModuleFileNameA(nullptr, program, MAX_PATH)) return;
  std::string command = std::string("\"") + program + "\" --gtest_list_tests";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                      &info)) {
    return;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
}

ChildProcess::~ChildProcess() { End(); }

void ChildProcess::End() {
  if (!process_) return;
  TerminateProcess(process_, 0);
  WaitForSingleObject(process_, 10000);
  CloseHandle(process_);
  process_ = nullptr;
}

std::string TemporaryName(uint32_t writer, uint32_t counter) {
  char name[64];
  std::snprintf(name, sizeof name, "~thumb-%x-%x.tmp", writer, counter);
  return name;
}
