// Select Source: the manager's own dialog, answered by a helper thread with a click on its button.
#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "scan/Twain.h"
#include "tests/scan/TwainFixture.h"

namespace {

struct DialogSeen {
  bool found = false;
  std::vector<std::string> sources;
  int selected = -1;
};

// A named CALLBACK: a lambda has the default calling convention, which 32-bit Windows does not take.
BOOL CALLBACK NoteSourceDialog(HWND hwnd, LPARAM param) {
  char cls[32] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::string(cls) != "#32770" || !GetDlgItem(hwnd, 1001) || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(param) = hwnd;
  return FALSE;
}

HWND FindSourceDialog(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(thread, &NoteSourceDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Saves the screen as a BMP file when LUMAVEX_SHOT_DIR names a folder.
void SaveScreen(const char* name) {
  char folder[MAX_PATH] = "";
  if (!GetEnvironmentVariableA("LUMAVEX_SHOT_DIR", folder, sizeof folder)) return;
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<char> pixels(static_cast<size_t>((width * 3 + 3) & ~3) * static_cast<size_t>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof info};
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::string path = std::string(folder) + "\\" + name;
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// Waits on another thread for the dialog of `thread`, reads its list and clicks `button`.
std::thread AnswerDialog(DWORD thread, int button, DialogSeen& seen, const char* shot = nullptr) {
  return std::thread([=, &seen] {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i) {
      Sleep(10);
      dialog = FindSourceDialog(thread);
    }
    if (!dialog) return;
    seen.found = true;
    HWND list = GetDlgItem(dialog, 1001);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[256] = "";
      if (SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 255)
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      seen.sources.push_back(text);
    }
    seen.selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    if (shot) {
      Sleep(300);  // let it paint
      SaveScreen(shot);
    }
    SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  });
}

using SelectSource = TwainTest;

TEST_F(SelectSource, CancellingTheManagersDialogLeavesTheManagerOpen) {
  StartIn(pictures_.Path());
  DialogSeen seen;
  std::thread answer = AnswerDialog(GetCurrentThreadId(), IDCANCEL, seen, "twain-select-source.bmp");
  Command(ID_TWAIN_SELECT_SOURCE);
  answer.join();
  PumpMessages();
  ASSERT_TRUE(seen.found);
  // Wine lists its own camera source beside ours.
  EXPECT_NE(std::find(seen.sources.begin(), seen.sources.end(), "Lumavex Test Source"), seen.sources.end());
  EXPECT_EQ(Frame()->LastReturnCode(), TWRC_CANCEL);
  EXPECT_EQ(Frame()->State(), 3);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(SelectSource, AProgramClosedWhileTheDialogIsUpClosesOnceTheDialogHasReturned) {
  StartIn(pictures_.Path());
  const HWND frame = Frame()->m_hWnd;
  const DWORD thread = GetCurrentThreadId();
  bool dialogSeen = false;
  bool frameKept = false;
  std::thread answer([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i) {
      Sleep(10);
      dialog = FindSourceDialog(thread);
    }
    if (!dialog) return;
    dialogSeen = true;
    // The dialog's own loop dispatches the close to the frame meanwhile.
    PostMessageA(frame, WM_CLOSE, 0, 0);
    Sleep(500);
    frameKept = IsWindow(frame) != FALSE;
    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  });
  Command(ID_TWAIN_SELECT_SOURCE);
  answer.join();
  ASSERT_TRUE(dialogSeen);
  EXPECT_TRUE(frameKept);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(frame); }));
}

TEST_F(SelectSource, ConfirmingTheDialogChoosesTheSourceThatAcquireOpens) {
  StartIn(pictures_.Path());
  DialogSeen seen;
  std::thread answer = AnswerDialog(GetCurrentThreadId(), IDOK, seen);
  Command(ID_TWAIN_SELECT_SOURCE);
  answer.join();
  PumpMessages();
  ASSERT_TRUE(seen.found);
  ASSERT_NE(seen.selected, LB_ERR);
  ASSERT_LT(static_cast<size_t>(seen.selected), seen.sources.size());
  EXPECT_EQ(seen.sources[static_cast<size_t>(seen.selected)], "Lumavex Test Source");
  EXPECT_EQ(Frame()->LastReturnCode(), TWRC_SUCCESS);
  EXPECT_EQ(Frame()->State(), 3);
  Acquire();
  EXPECT_TRUE(PumpUntilState(5));
  EXPECT_EQ(CountLog("enable showui=1"), 1);
}

TEST_F(SelectSource, SelectingWhileTheSourceIsEnabledKeepsItEnabled) {
  Script("images 0\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntilState(5));
  DialogSeen seen;
  std::thread answer = AnswerDialog(GetCurrentThreadId(), IDCANCEL, seen);
  Command(ID_TWAIN_SELECT_SOURCE);
  answer.join();
  PumpMessages();
  EXPECT_EQ(Frame()->State(), 5);
}

TEST_F(SelectSource, BothCommandsAreAlwaysEnabled) {
  StartIn(pictures_.Path());
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_TWAIN_SELECT_SOURCE));
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_TWAIN_ACQUIRE));
}

}  // namespace
