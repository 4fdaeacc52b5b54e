// The real program, started as its own process and closed while its workers decode photographs.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/support/TempDir.h"

namespace {

constexpr char kProgramKey[] = "Software\\Local AppWizard-Generated Applications\\Lumavex";

// The program file, built beside the tests (a Linux path, seen by Wine on drive Z:).
std::string ProgramPath() {
  std::string path = std::string("Z:") + LUMAVEX_PROGRAM;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

struct FoundWindow {
  DWORD process;
  HWND window;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lParam) {
  auto* found = reinterpret_cast<FoundWindow*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != found->process || GetWindow(hwnd, GW_OWNER) || !IsWindowVisible(hwnd)) return TRUE;
  found->window = hwnd;
  return FALSE;
}

// The program's visible main window, waited for up to `timeoutMs`.
HWND WaitForMainWindow(DWORD process, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    FoundWindow found{process, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
    if (found.window) return found.window;
    Sleep(20);
  }
  return nullptr;
}

void DeleteMatching(const std::string& folder, const char* mask) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\" + mask).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string path = folder + "\\" + found.cFileName;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

class ProgramExit : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kProgramKey) + "\\RecentFolders").c_str(), &key),
              ERROR_SUCCESS);
    const std::string folder = photos_.Path();
    RegSetValueExA(key, "RecentFolder1", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey); }

  TempDir photos_;
};

TEST_F(ProgramExit, ClosingWhileWorkersDecodePhotosAlwaysEndsTheProcessNormally) {
  // Twelve-megapixel photographs without thumbnails: every start has the worker decoding them.
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(WriteTestJpeg(photos_ / ("photo" + std::to_string(i) + ".jpg"), 4000, 3000));
  const std::string program = ProgramPath();
  ASSERT_NE(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program;
  for (int round = 0; round < 20; ++round) {
    DeleteMatching(photos_.Path(), "*.cpg");
    DeleteMatching(photos_.Path(), "~thumb-*.tmp");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    ASSERT_TRUE(CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    HWND window = WaitForMainWindow(process.dwProcessId, 30000);
    if (window) {
      // Close at a different moment of the workers' decoding each round.
      Sleep(static_cast<DWORD>(50 + 60 * (round % 8)));
      PostMessageA(window, WM_CLOSE, 0, 0);
    }
    DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xDEAD;
    GetExitCodeProcess(process.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_NE(window, nullptr) << "round " << round << ": no main window";
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "round " << round << ": the program did not end";
    ASSERT_EQ(code, 0u) << "round " << round << ": exit code " << std::hex << code;
  }
}

}  // namespace
