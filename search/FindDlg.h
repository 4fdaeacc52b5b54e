#pragma once
// The modeless Find dialog: finds the list view's files by name or annotation with a search
// worker and shows them in a five-column result list. One per process, made by the first Find
// command (ShowFindDialog) and destroyed with the main window (DestroyFindDialog); Close only
// hides it. Everything here runs on the user-interface thread; the worker gets copies of what it
// reads and reaches the dialog only by messages (search/SearchWorker).
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "browser/AnnotationStore.h"
#include "framework/Dialog.h"
#include "search/SearchWorker.h"

class CMyListView;

class CFindDlg : public CDialog {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  enum Mode { kCollapsed = 0, kExpanded = 1 };

  explicit CFindDlg(CMyListView* list);
  ~CFindDlg() override;

  void DoDataExchange(CDataExchange& dx) override;
  bool OnInitDialog() override;
  void OnOK() override { OnFindNow(); }
  void OnCancel() override;

  // Reads the list view's current folder's store into the annotation map (entries of other
  // names stay).
  void ReadAnnotations();
  void ForgetAnnotations() { annotations_.clear(); }
  const AnnotationMap& Annotations() const { return annotations_; }
  bool Searching() const { return search_ && !search_->ended.load(); }
  int GetMode() const { return mode_; }
  void SetMode(int mode);

  std::string m_strFileName;
  std::string m_strAnnotation;

 protected:
  void OnFindNow();
  void OnStop();
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM lParam);
  void OnSize(UINT type, int cx, int cy);
  void OnResultDoubleClick(NMHDR* header, LRESULT* result);
  void OnResultDisplayInfo(NMHDR* header, LRESULT* result);
  LRESULT OnSearchRows(WPARAM, LPARAM);
  LRESULT OnSearchEnded(WPARAM, LPARAM);
  void OnDestroy();

 private:
  void InsertColumns();
  void MeasureLayout();
  // Puts the buttons and the animation at rest: Find Now enabled and, when Stop had it, focused.
  void RestoreButtons();
  // Shows the rows the worker has handed over since the last time, unless the search was stopped.
  void TakeRows();

  CMyListView* list_;
  HWND results_ = nullptr;
  HWND stop_ = nullptr;
  HWND findNow_ = nullptr;
  HWND animation_ = nullptr;
  int mode_ = kExpanded;  // so that the first switch to collapsed takes effect
  AnnotationMap annotations_;
  std::shared_ptr<SearchShared> search_;
  std::string searchFolder_;  // the list's folder when the rows were found
  // The rows the results list shows: it holds no items of its own (owner data) and asks for the
  // texts of the rows it draws, so a search of thousands of files costs one count update per
  // hand-over instead of five messages per row.
  std::vector<FoundRow> rows_;

  // Layout measured once, in pixels.
  int initialWidth_ = 0;
  int initialHeight_ = 0;
  int collapsedHeight_ = 0;
  int listWidth_ = 0;
  int listHeight_ = 0;
  int closeLeft_ = 0;
  int animationLeft_ = 0;
};

// The single Find dialog: shown (made on first use, owned by the list's top-level window), then
// it reads the current folder's store.
void ShowFindDialog(CMyListView& list);
// The dialog, or null before the first Find command.
CFindDlg* FindDialog();
// Destroys and frees the dialog; its search, if any, ends at its next step.
void DestroyFindDialog();
// Connects the list view's Find command and listings to this dialog.
void InstallFindDialog();
