#pragma once
// The folder tree, the left pane of the main window: the machine's drives and below them folders
// only. A folder's children are read when it is expanded and thrown away when it is collapsed.
// Choosing a folder lists it in the thumbnail list, puts it at the top of the recent folders and
// clears the preview. Drive watcher threads keep the expanded parts of fixed, network and RAM
// drives in line with the disk; removable and CD-ROM drives are checked by volume serial number
// whenever an item on them is expanded or chosen.
// Ownership: the main frame's splitter creates the view; it deletes itself with its window and
// stops its drive watchers first. User-interface thread only; watchers post to it.
#include <string>
#include <vector>

#include "framework/View.h"
#include "navigation/VolumeSerials.h"
#include "program/CommandIds.h"

class CDriveView : public CTreeView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // Resources of the program the tree uses: the strip of seven item images and the context menu.
  static constexpr UINT kItemImagesBitmap = IDB_TREE_IMAGES;
  static constexpr UINT kContextMenu = IDR_CONTEXT_TREE;
  // Item images.
  enum Image { kFixedDrive, kRemovableDrive, kCdromDrive, kNetworkDrive, kRamDisk, kFolder, kFolderSelected };

  CDriveView();
  ~CDriveView() override;

  bool PreCreateWindow(CREATESTRUCTA& cs) override;
  void OnInitialUpdate() override;
  // A drive's change notification (which may relist the listed folder) waits while a yield point
  // is open.
  bool DefersWhileYielding(UINT message, WPARAM wParam, LPARAM lParam) const override;
  // Run when a folder item becomes the selection: lists the folder, remembers it as the current
  // and the most recent folder, and clears the preview.
  virtual void FolderChosen(const std::string& path);

  // Expands the tree along `path` (case ignored, a trailing backslash harmless) and, with
  // `select`, selects the last item. False when some part of the path has no item.
  bool SelectFolderPath(const std::string& path, bool select);

  // The folder last chosen in the tree.
  const std::string& CurrentFolder() const { return currentFolder_; }
  // While the context menu is tracked: true, and its popup.
  bool ContextMenuOpen() const { return contextMenuOpen_ != 0; }
  HMENU ContextSubmenu() const { return contextSubmenu_; }
  // Threads of the started drive watchers (until the tree is destroyed).
  const std::vector<HANDLE>& Watchers() const { return watchers_; }
  const VolumeSerialTable& VolumeSerials() const { return volumeSerials_; }

  // Item helpers, also for the panes' commands and for tests.
  std::string ItemPath(HTREEITEM item) const;
  std::string ItemText(HTREEITEM item) const;
  HTREEITEM FindDriveItem(const std::string& root) const;
  // The child of `parent` named `name`, ignoring case; never the dummy.
  HTREEITEM FindChild(HTREEITEM parent, const std::string& name) const;
  bool IsDriveItem(HTREEITEM item) const;
  // Checks the medium of the drive `path` lies on (removable and CD-ROM drives only).
  bool CheckMedia(const std::string& path);
  // Reads the folders of `path` as children of `item`; the number inserted.
  int PopulateChildren(HTREEITEM item, const std::string& path);
  // Brings the expanded part of `item`'s subtree in line with the disk below `folder`. A
  // selection in a part that went moves to the nearest item that stays, and is handled as a
  // choice once the whole refresh is done.
  void RefreshItem(HTREEITEM item, const std::string& folder);

 protected:
  void OnItemExpanding(NMHDR* header, LRESULT* result);
  void OnSelChanged(NMHDR* header, LRESULT* result);
  void OnDeleteItem(NMHDR* header, LRESULT* result);
  void OnRightClick(NMHDR* header, LRESULT* result);
  LRESULT OnDriveChanged(WPARAM drive, LPARAM);
  void OnSetFocus();
  void OnDestroy();
  // Adds the current folder to the favourites.
  void OnAddToFavorites();
  void OnUpdateAddToFavorites(CCmdUI& ui);

 private:
  // While the tree is being changed, selection changes are only noted; the outermost EndChange
  // handles the selection once, as a choice, when it moved. EndChange(false) drops what moved
  // so far.
  void BeginChange() { ++changeDepth_; }
  void EndChange(bool handleSelection);
  void SelectionChanged(HTREEITEM item);
  HTREEITEM Selected() const;
  void Select(HTREEITEM item);
  // Whether `item` is `ancestor` or lies below it.
  bool IsWithin(HTREEITEM item, HTREEITEM ancestor) const;
  // Deletes `item` and its subtree. A selection inside first moves to `refuge`, one of its
  // ancestors, so the control never picks a new selection (a sibling) on its own.
  void DeleteItem(HTREEITEM item, HTREEITEM refuge);
  // Deletes the item of a folder that is gone, and its ancestors that are gone as well; a
  // selection among them moves to the nearest ancestor that stays.
  void DeleteVanished(HTREEITEM item);
  void RefreshSubtree(HTREEITEM item, const std::string& folder);
  std::vector<HTREEITEM> Children(HTREEITEM item) const;
  void InsertDrives();
  HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, const std::string& text, int image, int selectedImage);
  HTREEITEM InsertFolder(HTREEITEM parent, const std::string& name);
  void AddDummy(HTREEITEM item);
  void DeleteChildren(HTREEITEM item);
  void ForgetExpansion(HTREEITEM item);
  void SyncDummy(HTREEITEM item, const std::string& path);
  void ResetDrive(HTREEITEM item);
  // Expands a collapsed item so that its children are read again; true when it stays.
  bool Expand(HTREEITEM item);
  void Collapse(HTREEITEM item);
  bool IsExpanded(HTREEITEM item) const;
  HTREEITEM FirstChild(HTREEITEM item) const;
  HTREEITEM NextSibling(HTREEITEM item) const;
  HTREEITEM Parent(HTREEITEM item) const;
  void StopWatchers();

  int contextMenuOpen_ = 0;
  HMENU contextSubmenu_ = nullptr;
  HANDLE stopEvent_ = nullptr;
  HIMAGELIST images_ = nullptr;
  VolumeSerialTable volumeSerials_;
  std::vector<HANDLE> watchers_;
  std::string currentFolder_;
  // An item whose deletion an operation in progress must notice.
  HTREEITEM guardedItem_ = nullptr;
  bool guardedItemGone_ = false;
  int changeDepth_ = 0;
  bool selectionMoved_ = false;
};
