#pragma once
// The middle pane: the current folder's JPEG files as thumbnails (icon mode) or as a four-column
// detail list (report mode). A virtual list: item i shows record i of the folder scan, and its
// picture is made from the item's thumbnail file on demand into one of a bounded number of slots
// of the thumbnail image list (ThumbnailSlots); image 0 is the picture of an item still waiting.
// Ownership: the main frame's splitter creates the view by its run-time class; it deletes itself
// with its window. User-interface thread only; workers reach it only by posted messages.
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "browser/AnnotationStore.h"
#include "browser/FolderScan.h"
#include "browser/ListPrinting.h"
#include "browser/ThumbnailSlots.h"
#include "framework/View.h"

// Texts of the detail columns.
std::string SizeColumnText(uint32_t bytes);
std::string ModifiedColumnText(int32_t unixSeconds);
// Whether `folder` holds a "*.jpg" entry that is not hidden, system, a folder or temporary and
// opens for reading, with the search ending normally.
bool FolderHasReadableJpeg(const std::string& folder);

// Where a thumbnail picture of sw x sh goes in a box of w x h: at the left edge, centred
// vertically, scaled to fill the box in one direction.
struct PicturePlacement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
PicturePlacement ThumbnailPlacement(int boxWidth, int boxHeight, uint32_t pictureWidth, uint32_t pictureHeight);

class CMyListView : public CListView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  static constexpr UINT_PTR kAutoAdvanceTimer = 1;
  static constexpr UINT kAutoAdvancePeriod = 5000;

  DWORD ControlStyle() const override;
  // A relisting of the listed folder waits while a yield point is open; a listing of a folder
  // given by path runs at once.
  bool DefersWhileYielding(UINT message, WPARAM wParam, LPARAM lParam) const override;
  void OnInitialUpdate() override;

  // Reorders the records (0 name, 1 date, 2 size), redraws every item and saves the order.
  void SortFiles(int order);
  // Deletes the current folder's thumbnail files and makes the thumbnail image list again at the
  // current thumbnail box.
  void PurgeThumbnails();
  // Makes the thumbnail image list again at the current thumbnail box, keeping the thumbnail files
  // (PurgeThumbnails does this after deleting them).
  void CreateThumbnailList();
  // Switches icon mode to report mode and every other mode to icon mode.
  void ToggleDisplayMode();
  // Shows the current item's file in the preview pane.
  void ShowInPreview();
  // Opens one viewer window per selected item, in item order.
  void OpenSelected();
  // Makes `index` the current item, selected and focused alone, scrolled into view and previewed.
  void StepTo(int index);
  // Index of the first item whose row shows at the top of the control, or -1 when none.
  int FirstVisibleItem() const;

  const std::string& CurrentFolder() const { return currentFolder_; }
  const std::vector<FileRecord>& Records() const { return scanner_.Records(); }
  int CurrentItem() const { return currentItem_; }
  void SetCurrentItem(int index) { currentItem_ = index; }
  int ItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  int SelectedCount() const { return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT)); }
  // Index of the focused item, or -1.
  int FocusedItem() const;
  // Full path of record `index`.
  std::string ItemPath(int index) const;
  // Full paths of the selected items, in item order.
  std::vector<std::string> SelectedPaths() const;
  const std::vector<int>& LoadedFlags() const { return loaded_; }
  HIMAGELIST Thumbnails() const { return thumbnails_; }
  bool AutoAdvanceRunning() const { return autoAdvance_ != 0; }
  const AnnotationMap& Annotations() const { return annotations_; }
  // Names of the selected items in index order.
  std::vector<std::string> SelectedNames() const;

  // Printing of the folder's pictures, or the selected ones, as a grid: the job starts from a copy
  // of their paths (ListPrintJob).
  bool OnPreparePrinting(CPrintInfo& info) override;
  void OnBeginPrinting(HDC dc, CPrintInfo& info) override;
  void OnPrint(HDC dc, CPrintInfo& info) override;
  void OnEndPrinting(HDC dc, CPrintInfo& info) override;
  int PrintPageCount() const { return printJob_.PageCount(); }
  // Photos decoded for the running job so far.
  int PrintDecodes() const { return printJob_.Decodes(); }
  const PrintPictureCache& PrintCache() const { return printJob_.Cache(); }
  const GridLayout& PrintGrid() const { return printJob_.Grid(); }
  const ListPrintJob& PrintJob() const { return printJob_; }

 protected:
  LRESULT OnListFolder(WPARAM, LPARAM);
  void OnGetDispInfo(NMHDR* header, LRESULT* result);
  void OnClick(NMHDR* header, LRESULT* result);
  void OnDoubleClick(NMHDR* header, LRESULT* result);
  bool OnKeyDown(UINT key, UINT repeat, UINT flags);
  LRESULT OnMouseOrChar(WPARAM, LPARAM);
  LRESULT OnContextMenu(WPARAM, LPARAM);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void OnOpen();
  void OnUpdateOpen(CCmdUI& ui);
  void OnSelectAll();
  void OnAutoAdvance();
  void OnUpdateAutoAdvance(CCmdUI& ui);
  void OnStopAutoAdvance();
  void OnUpdateStopAutoAdvance(CCmdUI& ui);
  void OnUpdateStartAutoAdvance(CCmdUI& ui);
  void OnAddToFavorites();
  void OnUpdatePrint(CCmdUI& ui);
  void OnAnnotate();
  void OnFind();

 private:
  // Image index of item `index`'s picture, making it from the thumbnail file when needed; the
  // waiting picture (image 0) when there is none this time.
  int PictureOf(int index);
  // Draws the thumbnail file into an image slot for `index`; false when no picture was put there.
  bool LoadPicture(int index, const std::string& thumbPath);
  void StopAutoAdvance();
  // What a listing of the same folder keeps of what the user did in it, by file name.
  struct KeptState {
    std::unordered_set<std::string> selected;
    std::string focused, current, mark;
    std::vector<std::string> onScreen;  // the first visible item and the others after it on screen
    int firstTop = 0;                   // the first visible item's top edge, client coordinates
  };
  KeptState KeepState() const;
  void RestoreState(const KeptState& kept);
  // Runs the control's own handling of the message being handled; when it moved the focus (Home,
  // End, a page key, a click with or without Ctrl or Shift), the current item follows.
  LRESULT DefaultFollowingFocus();
  // Sizes the image list for `count` items (the waiting picture and the slots) and forgets which
  // item each slot held.
  void PrepareImageSlots(int count);
  // Forgets every listing state: no records, no pictures, no current item.
  void ClearListing();

  std::string currentFolder_;
  CFolderScan scanner_;
  int currentItem_ = -1;
  std::vector<int> loaded_;
  ThumbnailSlots slots_;
  AnnotationMap annotations_;
  HIMAGELIST thumbnails_ = nullptr;
  HIMAGELIST smallImages_ = nullptr;
  int autoAdvance_ = 0;
  UINT_PTR timerId_ = kAutoAdvanceTimer;
  ListPrintJob printJob_;  // the running job, between OnBeginPrinting and OnEndPrinting
};
