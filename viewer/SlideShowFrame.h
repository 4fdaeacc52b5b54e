#pragma once
// The slide show window: a borderless top-level frame that covers the screen, with one
// CMySlideShowView. The window that runs the show (its host) creates it and tells it which picture
// to show; the window deletes itself when destroyed. User-interface thread only.
#include <string>

#include "framework/FrameWnd.h"

class CMySlideShowView;
class CSlideShowFrame;

// What a show needs of the window that runs it.
class SlideShowHost {
 public:
  // F2 in the show: step back so that the next tick shows the previous picture.
  virtual void StepSlideBack() = 0;
  // The show is being destroyed: the host stops its timer if `show` is its running show.
  virtual void SlideShowEnding(const CSlideShowFrame& show) = 0;
  // The picture of `show` is whole on screen (its transition has ended): the show's interval
  // starts now.
  virtual void SlideWhole(const CSlideShowFrame& show) = 0;

 protected:
  ~SlideShowHost() = default;
};

// The window rectangle whose client area is exactly `screen` for a window of `style` and
// `exStyle` without a menu.
RECT FullScreenWindowRect(const RECT& screen, DWORD style, DWORD exStyle);

class CSlideShowFrame : public CFrameWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // The show window bound to `hwnd`, or null once that window is gone: hosts keep the handle,
  // never a pointer that could outlive the window.
  static CSlideShowFrame* FromHandle(HWND hwnd);
  // The show that was opened last, when it is still there and visible; null otherwise.
  static CSlideShowFrame* OnScreen();

  // Creates the window for the first picture `path`, titled with the file's name. `host` is
  // reached through its window only while that window exists.
  bool Create(const std::string& path, CWnd* hostWindow, SlideShowHost* host);
  bool OnCreateClient(CREATESTRUCTA* cs) override;
  // Shows the next picture (revealed at once; a warning box may follow, after which this window
  // may be gone).
  void Show(const std::string& path);
  // Called by the view when its picture is whole on screen.
  void PictureWhole();
  // The show's own pause: a click or F4 in the show, or F4 in a viewer while the show is on
  // screen. A new show starts running.
  void TogglePause() { paused_ = !paused_; }
  bool Paused() const { return paused_; }
  // Makes the window cover the whole screen.
  void ApplyFullScreenPlacement();

  const std::string& FirstPath() const { return path_; }
  CMySlideShowView* View() const { return view_; }

 protected:
  LRESULT OnKeyDown(WPARAM, LPARAM);
  void OnDestroy();

 private:
  SlideShowHost* Host() const;

  std::string path_;
  CMySlideShowView* view_ = nullptr;
  HWND hostWindow_ = nullptr;
  SlideShowHost* host_ = nullptr;
  bool paused_ = false;
};

// Makes a show window for `path`, shows it and makes it cover the screen; null when it cannot be
// made.
CSlideShowFrame* OpenSlideShow(const std::string& path, CWnd* hostWindow, SlideShowHost* host);
