#pragma once
// The program's main window: toolbar, status bar and a 1 x 3 splitter with the folder tree, the
// thumbnail list and the preview. Carries out the commands that concern the whole window.
#include <string>
#include <vector>

#include "framework/ControlBars.h"
#include "framework/FrameWnd.h"
#include "framework/Splitter.h"
#include "scan/Twain.h"

class CDriveView;
class CMyListView;
class CMyScrollView;

// Initial width (or height) of splitter column `column` for a client extent: 33 %, 66 %, 1 %.
int InitialPaneExtent(int column, int extent);
// The "ThumbnailSize" code of a thumbnail size command, or -1.
int ThumbnailCodeOfCommand(UINT id);

class CMainFrame : public CFrameWnd, public CTwain {
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

  CDriveView* DriveView() const;
  CMyListView* ListView() const;
  CMyScrollView* Preview() const;
  CSplitterWnd& Splitter() { return splitter_; }

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

 private:
  CSplitterWnd splitter_;
  std::vector<std::string> slideNames_;
  int slideIndex_ = 0;
  int slideTimer_ = 0;
  CWnd* slideShowWindow_ = nullptr;
  CStatusBar statusBar_;
  CToolBar toolBar_;
  std::string shownFolder_;
};
