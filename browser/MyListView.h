#pragma once
// The middle pane: the current folder's JPEG files as thumbnails (icon mode) or as a four-column
// detail list (report mode). A virtual list: item i shows record i of the folder scan.
#include <map>
#include <string>
#include <vector>

#include "browser/FolderScan.h"
#include "framework/View.h"

// Texts of the detail columns.
std::string SizeColumnText(uint32_t bytes);
std::string ModifiedColumnText(int32_t unixSeconds);
// Whether `folder` holds a "*.jpg" entry that is not hidden, system, a folder or temporary and
// opens for reading, with the search ending normally.
bool FolderHasReadableJpeg(const std::string& folder);

class CMyListView : public CListView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  DWORD ControlStyle() const override;
  void OnInitialUpdate() override;

  // Reorders the records (0 name, 1 date, 2 size), redraws every item and saves the order.
  void SortFiles(int order);
  // Deletes the current folder's thumbnail files and makes the thumbnail image list again at the
  // current thumbnail box.
  void PurgeThumbnails();
  // Switches icon mode to report mode and every other mode to icon mode.
  void ToggleDisplayMode();

  const std::string& CurrentFolder() const { return currentFolder_; }
  const std::vector<FileRecord>& Records() const { return scanner_.Records(); }
  int CurrentItem() const { return currentItem_; }
  int ItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  int SelectedCount() const { return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT)); }
  // Index of the focused item, or -1.
  int FocusedItem() const;
  // Full path of record `index`.
  std::string ItemPath(int index) const;
  const std::vector<int>& LoadedFlags() const { return loaded_; }
  HIMAGELIST Thumbnails() const { return thumbnails_; }

 protected:
  LRESULT OnListFolder(WPARAM, LPARAM);
  void OnGetDispInfo(NMHDR* header, LRESULT* result);
  void OnDestroy();

 private:
  void ClearLoadedFlags();
  void CreateThumbnailList();

  std::string currentFolder_;
  CFolderScan scanner_;
  int currentItem_ = -1;
  std::vector<int> loaded_;
  std::map<std::string, std::string> annotations_;
  HIMAGELIST thumbnails_ = nullptr;
  HIMAGELIST smallImages_ = nullptr;
  int autoAdvance_ = 0;
};
