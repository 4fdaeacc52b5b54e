#pragma once
// The program's main window: toolbar, status bar and a 1 x 3 splitter with the folder tree, the
// thumbnail list and the preview. Carries out the commands that concern the whole window.
// Ownership: the application object creates it in InitInstance and makes it the main window; it
// deletes itself with its window, which ends the message loop. User-interface thread only.
#include <string>
#include <vector>

#include "app/ThumbnailProgressPane.h"
#include "framework/ControlBars.h"
#include "framework/FrameWnd.h"
#include "framework/Splitter.h"
#include "menus/CoolMenuManager.h"
#include "scan/Twain.h"
#include "viewer/SlideShowFrame.h"
#include "viewer/SlideTransition.h"

class CDriveView;
class CMyListView;
class CMyScrollView;

// Initial width (or height) of splitter column `column` for a client extent: 33 %, 66 %, 1 %.
int InitialPaneExtent(int column, int extent);
// The "ThumbnailSize" code of a thumbnail size command, or -1.
int ThumbnailCodeOfCommand(UINT id);

class CMainFrame : public CFrameWnd, public CTwain, public SlideShowHost {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  bool PreTranslateMessage(MSG* msg) override;
  bool OnCreateClient(CREATESTRUCTA* cs) override;
  // The Find window goes with the frame.
  void PostNcDestroy() override;

  // Shows `path` in the folder tree.
  void ShowFolder(const std::string& path);
  const std::string& ShownFolder() const { return shownFolder_; }
  // Mails the list view's selected files through the user's mail program.
  void SendSelectedFiles();

  CDriveView* DriveView() const;
  CMyListView* ListView() const;
  CMyScrollView* Preview() const;
  CSplitterWnd& Splitter() { return splitter_; }
  CCoolMenuManager& MenuManager() { return menuManager_; }
  // The running slide show's window, or null.
  CSlideShowFrame* SlideShowWindow() const { return CSlideShowFrame::FromHandle(slideShowWindow_); }
  const SlideShowState& SlideShow() const { return slides_; }
  void StepSlideBack() override { slides_.StepBack(); }
  void SlideShowEnding(const CSlideShowFrame& show) override;
  void SlideWhole(const CSlideShowFrame& show) override;
  // When each picture of the last show became whole on screen and when it was replaced (the
  // next tick, or the end of the show), in GetTickCount milliseconds; 0 while still on screen.
  struct SlideTiming {
    std::string path;
    DWORD wholeAt = 0;
    DWORD replacedAt = 0;
  };
  const std::vector<SlideTiming>& SlideTimeline() const { return slideTimeline_; }
  // How long each picture stays whole on screen after its transition (3 s); tests that step a
  // show by hand make it longer than they run.
  void SetSlideInterval(UINT milliseconds) { slideInterval_ = milliseconds; }

 protected:
  int OnCreate(CREATESTRUCTA* cs);
  void OnSort(UINT id);
  void OnUpdateSort(CCmdUI& ui);
  void OnThumbnailSize(UINT id);
  void OnUpdateThumbnailSize(CCmdUI& ui);
  void OnDisplayMode();
  void OnRefresh();
  void OnRegenerate();
  void OnCloseAllWindows();
  void OnAutoAdvanceCommand(UINT id);
  void OnUpdateAutoAdvanceCommand(CCmdUI& ui);
  void OnUpdateCloseAllWindows(CCmdUI& ui);
  void OnUpdateSendMail(CCmdUI& ui);
  void OnSelectSource();
  void OnAcquire();
  void OnUpdateScanCommand(CCmdUI& ui);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnThumbnailProgress(WPARAM, LPARAM);
  LRESULT OnTaskbarButtonCreated(WPARAM, LPARAM);

  // Scanner hooks: the source writes "twain.bmp" into the current folder, which becomes the
  // folder's next numbered JPEG file, selected in the list.
  bool OnSetupFileXfer(TW_UINT16& format, TW_SETUPFILEXFER& setup) override;
  void OnFileXferDone(const TW_SETUPFILEXFER* setup) override;
  void OnRecentFolder(UINT id);
  void OnUpdateRecentFolder(CCmdUI& ui);
  void OnFavorite(UINT id);
  void OnUpdateFavorite(CCmdUI& ui);
  void OnSetAsWallpaper();
  void OnUpdateSetAsWallpaper(CCmdUI& ui);

  void OnSlideShow();
  void OnUpdateSlideShow(CCmdUI& ui);
  void OnTimer(UINT_PTR id);

 private:
  // The picture on screen leaves it now (a tick, or the end of the show).
  void EndSlideTiming();

  CSplitterWnd splitter_;
  CCoolMenuManager menuManager_;
  SlideShowState slides_;  // names, folder and index of the running or last show
  int slideTimer_ = 0;
  HWND slideShowWindow_ = nullptr;  // looked up on use: the window may be gone
  std::vector<SlideTiming> slideTimeline_;
  UINT slideInterval_ = 3000;
  CStatusBar statusBar_;
  CToolBar toolBar_;
  ThumbnailProgressPane thumbnailProgress_;  // pane 1 of the status bar and the taskbar button
  std::string shownFolder_;
  std::string scanTransfer_;  // the transfer file reserved for the running file transfer
};
