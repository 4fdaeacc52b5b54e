#pragma once
// A fresh application for each test: no profile, the initial thumbnail box, boxes recorded.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "app/ImageBrowserApp.h"
#include "app/MainFrame.h"
#include "browser/BrowserState.h"
#include "framework/MessageBox.h"
#include "image/ImageSettings.h"
#include "program/Settings.h"
#include "tests/support/MessagePump.h"
#include "viewer/ViewerList.h"

inline constexpr char kProgramKey[] = "Software\\Local AppWizard-Generated Applications\\Lumavex";

class AppTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
    SetThumbnailBox(96);
  }
  void TearDown() override {
    CloseFrame();
    RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
  }
  void CloseFrame() {
    if (CWnd* main = app_.MainWnd()) main->DestroyWindow();
    PumpMessages();
  }
  // Starts the program as a fresh process would, closing a frame already running.
  void Restart() {
    CloseFrame();
    ASSERT_TRUE(app_.InitInstance());
  }
  CMainFrame* Frame() { return app_.MainFrame(); }
  void Command(UINT id) { Frame()->SendMessage(WM_COMMAND, id); }

  MessageBoxRecorder boxes_;
  CImageBrowserApp app_;
};
