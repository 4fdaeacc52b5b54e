#include "tests/scan/TwainFixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "image/JpegFile.h"

bool InstallTestSource() {
  // The build gives the Unix path; Wine sees the Unix root as drive Z:.
  std::string unixPath = LUMAVEX_TWAIN_SOURCE;
  std::string from = "Z:" + unixPath;
  std::replace(from.begin(), from.end(), '/', '\\');
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  // The manager looks in "twain_32" or "twain_64" by its own width.
  std::string folder = std::string(windows) + "\\twain_" + std::to_string(sizeof(void*) * 8);
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string to = folder + "\\sane.ds";
  if (CopyFileA(from.c_str(), to.c_str(), FALSE)) return true;
  // Still loaded by an earlier run of the manager in this process: the copy there is ours.
  return GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TwainTest::SetUp() {
  AppTest::SetUp();
  ASSERT_TRUE(InstallTestSource());
  script_ = work_ / "script.txt";
  log_ = work_ / "source.log";
  SetEnvironmentVariableA("LUMAVEX_TWAIN_SCRIPT", script_.c_str());
  SetEnvironmentVariableA("LUMAVEX_TWAIN_LOG", log_.c_str());
  Script("images 1\n");
}

void TwainTest::TearDown() {
  AppTest::TearDown();
  if (HasFailure() || GetEnvironmentVariableA("LUMAVEX_TWAIN_SHOW_LOG", nullptr, 0)) {
    for (const std::string& line : Log()) std::printf("  source: %s\n", line.c_str());
  }
  SetEnvironmentVariableA("LUMAVEX_TWAIN_SCRIPT", nullptr);
  SetEnvironmentVariableA("LUMAVEX_TWAIN_LOG", nullptr);
}

void TwainTest::Script(const std::string& text) { ASSERT_TRUE(WriteTestFile(script_, text)); }

std::vector<std::string> TwainTest::Log() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadTestFile(log_));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int TwainTest::CountLog(const std::string& head) const {
  int count = 0;
  for (const std::string& line : Log()) count += line.rfind(head, 0) == 0 ? 1 : 0;
  return count;
}

void TwainTest::StartIn(const std::string& folder) {
  Restart();
  ASSERT_NE(Frame(), nullptr);
  Frame()->ListView()->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  PumpMessages();
}

bool TwainTest::PumpUntilState(int state, DWORD timeoutMs) {
  bool reached = PumpUntil([&] { return Frame() && Frame()->State() == state; }, timeoutMs);
  PumpMessages(100);
  return reached && Frame() && Frame()->State() == state;
}

namespace {
std::vector<std::string> FilesMatching(const std::string& folder, const char* pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}
}  // namespace

std::vector<std::string> TwainTest::ScanFiles(const std::string& folder) const {
  return FilesMatching(folder, "Img*.jpg");
}

std::vector<std::string> TwainTest::BmpFiles(const std::string& folder) const { return FilesMatching(folder, "*.bmp"); }

unsigned MiddleColor(const std::string& path) {
  uint32_t width = 0;
  uint32_t height = 0;
  PixelBlock rgb = ReadJpegRgb(path.c_str(), width, height);
  if (!rgb) return 0xFFFFFFFF;
  const uint8_t* p = rgb.get() + (static_cast<size_t>(height / 2) * width + width / 2) * 3;
  return static_cast<unsigned>(p[0]) << 16 | static_cast<unsigned>(p[1]) << 8 | p[2];
}

bool NearColor(unsigned a, unsigned b) {
  for (int shift = 0; shift < 24; shift += 8) {
    int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(d) > 8) return false;
  }
  return true;
}

namespace {
CMainFrame* g_watchedFrame = nullptr;
int g_finalState = -1;

LRESULT CALLBACK WatchDestroy(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_NCDESTROY && g_watchedFrame && call->hwnd == g_watchedFrame->m_hWnd)
    g_finalState = g_watchedFrame->State();
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

FinalStateWatch::FinalStateWatch(CMainFrame* frame) {
  g_watchedFrame = frame;
  g_finalState = -1;
  hook_ = SetWindowsHookExA(WH_CALLWNDPROC, WatchDestroy, nullptr, GetCurrentThreadId());
}

FinalStateWatch::~FinalStateWatch() {
  if (hook_) UnhookWindowsHookEx(hook_);
  g_watchedFrame = nullptr;
}

int FinalStateWatch::State() const { return g_finalState; }
