#pragma once
// One picture scaled to its window: the preview pane of the main window and the only pane of a
// viewer window.
// Ownership: the main frame's splitter or a viewer window (made by OpenViewer) creates the view;
// view and viewer window each delete themselves with their windows. User-interface thread only.
#include <memory>
#include <new>
#include <string>

#include "framework/FrameWnd.h"
#include "framework/View.h"
#include "framework/YieldPoint.h"
#include "image/Dib.h"

class CMyScrollView : public CScrollView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // Shows the picture file at `path`; an empty path blanks the view (the old picture stays
  // allocated until the next one).
  void SetImage(const std::string& path);
  const std::string& Path() const { return path_; }
  const CDib* Picture() const { return picture_.get(); }

  void OnInitialUpdate() override;
  void OnDraw(HDC dc) override;
  // Printing: one page, the picture fitted to the printable area and centred, landscape for a
  // picture wider than tall, else portrait.
  bool OnPreparePrinting(CPrintInfo& info) override;
  void OnBeginPrinting(HDC dc, CPrintInfo& info) override;
  void OnPrint(HDC dc, CPrintInfo& info) override;

 protected:
  const char* ViewClass() const override;
  LRESULT OnKeyDown(WPARAM, LPARAM);
  LRESULT OnContextMenu(WPARAM, LPARAM);
  void OnSetAsWallpaper();
  void OnAddToFavorites();
  // Set As Wallpaper and Add to Favorites: enabled while a picture path is shown.
  void OnUpdateHasPicture(CCmdUI& ui);
  void OnUpdatePrint(CCmdUI& ui);

 private:
  std::string path_;
  std::unique_ptr<CDib> picture_;
};

// Outer size of a viewer window for a picture: the picture plus three frame widths and a caption,
// but no wider than the screen and no taller than the screen less 20 pixels.
SIZE ViewerWindowSize(uint32_t pictureWidth, uint32_t pictureHeight, int screenWidth, int screenHeight, int frameWidth,
                      int frameHeight, int captionHeight);
// Sizes `frame` for `picture` by that rule and centres it on the desktop.
void PlaceAsViewerWindow(HWND frame, const CDib* picture);

// Reads a picture file for the screen. A file that cannot be opened or decoded gives an empty
// picture; a lack of memory gives none.
std::unique_ptr<CDib> ReadPictureForDisplay(const std::string& path) noexcept;

// Creates the one view of a picture window over its client area, shows `path` in it, makes it the
// active view, and sizes and centres the window for the picture. Null when the view cannot be made.
template <class View>
View* CreatePictureView(CFrameWnd& frame, const std::string& path) {
  auto* view = new (std::nothrow) View;
  if (!view) return nullptr;
  if (!view->Create(&frame, AFX_IDW_PANE_FIRST, frame.GetClientRect(), WS_CHILD)) {
    delete view;
    return nullptr;
  }
  view->ShowWindow(SW_SHOW);
  view->SendMessage(WM_INITIALUPDATE);
  WeakWnd<View> alive(view);
  view->SetImage(path);  // may show a warning box: a yield point
  if (!alive.Get()) return nullptr;
  frame.SetActiveView(view, false);
  PlaceAsViewerWindow(frame.m_hWnd, view->Picture());
  return view;
}

// A top-level window that shows one picture file. It deletes itself with its window and leaves
// the viewer list then, whatever destroyed it.
class CViewerFrame : public CFrameWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // Creates the window for `path`, titled with the file's name, sized to the picture and centred.
  // The caller shows it and appends it to the viewer list (OpenViewer does both).
  bool Create(const std::string& path);
  bool OnCreateClient(CREATESTRUCTA* cs) override;
  void PostNcDestroy() override;
  const std::string& PicturePath() const { return path_; }
  CMyScrollView* View() const { return view_; }

 protected:
  LRESULT OnKeyDown(WPARAM, LPARAM);
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM);

 private:
  void ActivateNeighbour(bool previous);

  std::string path_;
  CMyScrollView* view_ = nullptr;
};

// Makes a viewer window for `path`, shows it normally and appends it to the viewer list.
CViewerFrame* OpenViewer(const std::string& path);
