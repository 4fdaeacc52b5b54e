#include "navigation/DriveView.h"

#include <algorithm>

#include "browser/FileNames.h"
#include "browser/ListMessages.h"
#include "framework/FrameWnd.h"
#include "framework/PathText.h"
#include "framework/Splitter.h"
#include "framework/YieldPoint.h"
#include "navigation/DriveWatcher.h"
#include "navigation/Favorites.h"
#include "navigation/FolderQueries.h"
#include "navigation/ProfileMruList.h"
#include "viewer/MyScrollView.h"

namespace {
constexpr UINT kAddToFavoritesCommand = ID_FAVORITES_ADD;

// The image of a drive of type `type`, or -1 for drives the tree does not show.
int DriveImage(UINT type) {
  switch (type) {
    case DRIVE_FIXED: return CDriveView::kFixedDrive;
    case DRIVE_REMOVABLE: return CDriveView::kRemovableDrive;
    case DRIVE_CDROM: return CDriveView::kCdromDrive;
    case DRIVE_REMOTE: return CDriveView::kNetworkDrive;
    case DRIVE_RAMDISK: return CDriveView::kRamDisk;
    default: return -1;
  }
}
}  // namespace

const CRuntimeClass CDriveView::kClass{"CDriveView", &CTreeView::kClass, &CreateObjectOf<CDriveView>};
const MessageMap CDriveView::kMessageMap{
    &CTreeView::kMessageMap,
    {
        OnReflectedNotify(TVN_ITEMEXPANDINGA, &CDriveView::OnItemExpanding),
        OnReflectedNotify(TVN_SELCHANGEDA, &CDriveView::OnSelChanged),
        OnReflectedNotify(TVN_DELETEITEMA, &CDriveView::OnDeleteItem),
        OnReflectedNotify(NM_RCLICK, &CDriveView::OnRightClick),
        OnMessage(kWmDriveChanged, &CDriveView::OnDriveChanged),
        OnMessage(WM_SETFOCUS, &CDriveView::OnSetFocus),
        OnMessage(WM_DESTROY, &CDriveView::OnDestroy),
        OnCommand(kAddToFavoritesCommand, &CDriveView::OnAddToFavorites),
        OnUpdateCommand(kAddToFavoritesCommand, &CDriveView::OnUpdateAddToFavorites),
    },
};

CDriveView::CDriveView() : stopEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CDriveView::~CDriveView() {
  StopWatchers();
  if (stopEvent_) CloseHandle(stopEvent_);
}

bool CDriveView::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
  return CTreeView::PreCreateWindow(cs);
}

void CDriveView::OnInitialUpdate() {
  CTreeView::OnInitialUpdate();
  if (images_) return;
  images_ = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kItemImagesBitmap), 16, 1,
                                 RGB(255, 0, 255), IMAGE_BITMAP, 0);
  SendMessage(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
  InsertDrives();
}

void CDriveView::InsertDrives() {
  const DWORD drives = GetLogicalDrives();
  for (int index = 0; index < 26; ++index) {
    if (!(drives & (1u << index))) continue;
    const std::string root = DriveRoot(index);
    const UINT type = GetDriveTypeA(root.c_str());
    const int image = DriveImage(type);
    if (image < 0) continue;
    HTREEITEM drive = InsertItem(TVI_ROOT, TVI_LAST, root, image, image);
    if (type == DRIVE_REMOVABLE || type == DRIVE_CDROM) {
      AddDummy(drive);
      volumeSerials_.Remember(index, ReadVolumeSerial(root));
      continue;
    }
    if (HasSubfolders(root)) AddDummy(drive);
    if (HANDLE watcher = StartDriveWatcher(index, stopEvent_, m_hWnd)) watchers_.push_back(watcher);
  }
}

HTREEITEM CDriveView::InsertItem(HTREEITEM parent, HTREEITEM after, const std::string& text, int image,
                                 int selectedImage) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.iImage = image;
  insert.item.iSelectedImage = selectedImage;
  insert.item.lParam = 0;
  return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM CDriveView::InsertFolder(HTREEITEM parent, const std::string& name) {
  return InsertItem(parent, TVI_SORT, name, kFolder, kFolderSelected);
}

void CDriveView::AddDummy(HTREEITEM item) {
  if (item) InsertItem(item, TVI_LAST, "", kFixedDrive, kFixedDrive);
}

HTREEITEM CDriveView::FirstChild(HTREEITEM item) const {
  return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CDriveView::NextSibling(HTREEITEM item) const {
  return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CDriveView::Parent(HTREEITEM item) const {
  return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
}

bool CDriveView::IsDriveItem(HTREEITEM item) const { return item && !Parent(item); }

std::vector<HTREEITEM> CDriveView::Children(HTREEITEM item) const {
  std::vector<HTREEITEM> children;
  for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child)) children.push_back(child);
  return children;
}

HTREEITEM CDriveView::Selected() const {
  return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void CDriveView::Select(HTREEITEM item) { SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)); }

bool CDriveView::IsWithin(HTREEITEM item, HTREEITEM ancestor) const {
  for (; item; item = Parent(item))
    if (item == ancestor) return true;
  return false;
}

bool CDriveView::IsExpanded(HTREEITEM item) const {
  return (SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

std::string CDriveView::ItemText(HTREEITEM item) const {
  char text[kPathBytes] = "";
  TVITEMA info{};
  info.mask = TVIF_TEXT | TVIF_HANDLE;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = kPathBytes;
  if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info))) return "";
  text[kPathBytes - 1] = '\0';
  return text;
}

std::string CDriveView::ItemPath(HTREEITEM item) const {
  std::string path;
  for (; item; item = Parent(item)) path = PathJoin(ItemText(item), path);
  return path;
}

HTREEITEM CDriveView::FindDriveItem(const std::string& root) const {
  for (HTREEITEM drive = FirstChild(TVI_ROOT); drive; drive = NextSibling(drive))
    if (lstrcmpiA(ItemText(drive).c_str(), root.c_str()) == 0) return drive;
  return nullptr;
}

HTREEITEM CDriveView::FindChild(HTREEITEM parent, const std::string& name) const {
  if (name.empty()) return nullptr;  // no name stands for the dummy
  for (HTREEITEM child = FirstChild(parent); child; child = NextSibling(child))
    if (lstrcmpiA(ItemText(child).c_str(), name.c_str()) == 0) return child;
  return nullptr;
}

void CDriveView::EndChange(bool handleSelection) {
  if (!handleSelection) selectionMoved_ = false;
  if (--changeDepth_ > 0) return;
  const bool moved = selectionMoved_;
  selectionMoved_ = false;
  if (!moved) return;
  if (HTREEITEM selected = Selected()) SelectionChanged(selected);
}

void CDriveView::DeleteItem(HTREEITEM item, HTREEITEM refuge) {
  BeginChange();
  HTREEITEM selected = Selected();
  if (selected && IsWithin(selected, item)) Select(refuge);
  SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
  EndChange(true);
}

void CDriveView::DeleteVanished(HTREEITEM item) {
  HTREEITEM gone = item;
  HTREEITEM refuge = Parent(item);
  while (refuge && !IsDriveItem(refuge)) {
    const std::string path = ItemPath(refuge);
    if (!IsReachablePath(path) || IsFolder(path)) break;
    gone = refuge;
    refuge = Parent(refuge);
  }
  if (refuge) DeleteItem(gone, refuge);
}

void CDriveView::DeleteChildren(HTREEITEM item) {
  BeginChange();
  HTREEITEM selected = Selected();
  if (selected && selected != item && IsWithin(selected, item)) Select(item);
  while (HTREEITEM child = FirstChild(item))
    if (!SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child))) break;
  EndChange(true);
}

void CDriveView::ForgetExpansion(HTREEITEM item) {
  // Without the flag the control asks again (TVN_ITEMEXPANDING) at the next TVM_EXPAND.
  TVITEMA state{};
  state.mask = TVIF_STATE | TVIF_HANDLE;
  state.hItem = item;
  state.stateMask = TVIS_EXPANDEDONCE;
  SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&state));
}

void CDriveView::Collapse(HTREEITEM item) { SendMessage(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item)); }

bool CDriveView::Expand(HTREEITEM item) {
  if (IsExpanded(item)) return true;
  // Refusing an expansion may delete the item (its folder is gone, its disc was swapped).
  guardedItem_ = item;
  guardedItemGone_ = false;
  ForgetExpansion(item);
  SendMessage(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  bool stays = !guardedItemGone_;
  guardedItem_ = nullptr;
  return stays;
}

void CDriveView::OnDeleteItem(NMHDR* header, LRESULT* result) {
  *result = 0;
  auto* info = reinterpret_cast<NMTREEVIEWA*>(header);
  if (guardedItem_ && info->itemOld.hItem == guardedItem_) guardedItemGone_ = true;
}

void CDriveView::SyncDummy(HTREEITEM item, const std::string& path) {
  if (HasSubfolders(path)) {
    if (!FirstChild(item)) {
      AddDummy(item);
      InvalidateRect(m_hWnd, nullptr, TRUE);
    }
  } else if (FirstChild(item)) {
    DeleteChildren(item);
  }
}

void CDriveView::ResetDrive(HTREEITEM item) {
  while (HTREEITEM parent = Parent(item)) item = parent;
  // The medium failed its check: a selection on it moves to the drive item without being chosen.
  BeginChange();
  HTREEITEM selected = Selected();
  if (selected && selected != item && IsWithin(selected, item)) Select(item);
  Collapse(item);
  DeleteChildren(item);
  AddDummy(item);
  ForgetExpansion(item);
  EndChange(false);
}

bool CDriveView::CheckMedia(const std::string& path) {
  UINT type = GetDriveTypeA(path.c_str());
  if (type != DRIVE_REMOVABLE && type != DRIVE_CDROM) return true;
  return volumeSerials_.Check(DriveIndexOf(path), ReadVolumeSerial(path.substr(0, 3)));
}

int CDriveView::PopulateChildren(HTREEITEM item, const std::string& path) {
  int count = 0;
  bool listed = ForEachSubfolder(path, [&](const std::string& name) {
    HTREEITEM folder = InsertFolder(item, name);
    if (HasSubfolders(PathJoin(path, name))) AddDummy(folder);
    ++count;
  });
  if (!listed && IsDriveItem(item)) AddDummy(item);
  return count;
}

void CDriveView::OnItemExpanding(NMHDR* header, LRESULT* result) {
  auto* info = reinterpret_cast<NMTREEVIEWA*>(header);
  HTREEITEM item = info->itemNew.hItem;
  *result = FALSE;
  if (!item) return;
  const std::string path = ItemPath(item);
  // A selection that moves up out of the children is chosen once the item is done.
  BeginChange();
  if (!IsReachablePath(path)) {
    // Too long for the file functions: left as it is rather than taken for gone.
    *result = TRUE;
  } else if ((info->action & TVE_TOGGLE) != TVE_EXPAND) {
    // Collapsing reads nothing but the button's need and never deletes the item: the control
    // goes on with it after this notification. A vanished folder goes at its next use.
    DeleteChildren(item);
    if (IsDriveItem(item) || HasSubfolders(path)) AddDummy(item);
    ForgetExpansion(item);
  } else if (!CheckMedia(path)) {
    ResetDrive(item);
    *result = TRUE;
  } else if (!IsFolder(path)) {
    DeleteVanished(item);
    *result = TRUE;
  } else {
    DeleteChildren(item);
    if (PopulateChildren(item, path) == 0) *result = TRUE;
  }
  EndChange(true);
}

void CDriveView::OnSelChanged(NMHDR* header, LRESULT* result) {
  *result = 0;
  if (changeDepth_ > 0) {
    selectionMoved_ = true;
    return;
  }
  if (HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem) SelectionChanged(item);
}

void CDriveView::SelectionChanged(HTREEITEM item) {
  const std::string path = ItemPath(item);
  if (!IsReachablePath(path)) return;
  if (!CheckMedia(path)) {
    ResetDrive(item);
    return;
  }
  if (!IsFolder(path)) {
    // The selection moves up to a folder that is there, which is then chosen.
    DeleteVanished(item);
    return;
  }
  if (!IsExpanded(item) || !FirstChild(item)) SyncDummy(item, path);
  FolderChosen(path);
}

void CDriveView::OnSetFocus() {
  if (Selected()) {
    CTreeView::OnSetFocus();
    return;
  }
  // The control selects its first item when it gets the focus without a selection: that would
  // choose a drive the user never chose. The tree stays without a selection instead.
  BeginChange();
  CTreeView::OnSetFocus();
  if (Selected()) Select(nullptr);
  EndChange(false);
}

void CDriveView::FolderChosen(const std::string& path) {
  CFrameWnd* frame = GetParentFrame();
  CSplitterWnd* splitter = frame ? frame->GetSplitter() : nullptr;
  CWnd* list = splitter ? splitter->GetPane(0, 1) : nullptr;
  if (list) list->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(path.c_str()));

  currentFolder_ = path;

  CProfileMruList recent = RecentFolderList();
  recent.ReadList();
  recent.Add(path);
  recent.WriteList();

  CWnd* preview = splitter ? splitter->GetPane(0, 2) : nullptr;
  if (preview && preview->IsKindOf(&CMyScrollView::kClass)) static_cast<CMyScrollView*>(preview)->SetImage("");
}

bool CDriveView::SelectFolderPath(const std::string& path, bool select) {
  if (path.size() <= 2) return false;
  HTREEITEM current = FindDriveItem(path.substr(0, 3));
  if (!current) return false;
  std::string rest = path.substr(3);
  for (;;) {
    if (!Expand(current)) return false;
    if (rest.empty()) {
      if (select) SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(current));
      return true;
    }
    if (!FirstChild(current)) return false;
    size_t cut = rest.find('\\');
    current = FindChild(current, rest.substr(0, cut));
    if (!current) return false;
    rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
  }
}

bool CDriveView::DefersWhileYielding(UINT message, WPARAM wParam, LPARAM lParam) const {
  return message == kWmDriveChanged || CTreeView::DefersWhileYielding(message, wParam, lParam);
}

LRESULT CDriveView::OnDriveChanged(WPARAM drive, LPARAM) {
  // The index comes from a posted message: only drive letters name a drive item.
  if (drive > 25) return 0;
  const std::string root = DriveRoot(static_cast<int>(drive));
  HTREEITEM item = FindDriveItem(root);
  if (!item) return 0;
  if (!CheckMedia(root)) {
    ResetDrive(item);
    return 0;
  }
  // The root is tested in place: the process's current directory stays as it is.
  DWORD attributes = GetFileAttributesA(root.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) RefreshItem(item, root);
  return 0;
}

void CDriveView::RefreshItem(HTREEITEM item, const std::string& folder) {
  BeginChange();
  RefreshSubtree(item, folder);
  EndChange(true);
}

void CDriveView::RefreshSubtree(HTREEITEM item, const std::string& folder) {
  if (!IsExpanded(item) || !FirstChild(item)) {
    if (IsDriveItem(item)) return;
    SyncDummy(item, ItemPath(item));
    Collapse(item);
    ForgetExpansion(item);
    return;
  }
  // Deleting a child changes nothing else while the selection handling waits: the other
  // children stay valid.
  std::vector<std::string> names;
  for (HTREEITEM child : Children(item)) {
    const std::string name = ItemText(child);
    const std::string path = PathJoin(folder, name);
    // An empty text is a dummy, which an expanded item has no use for.
    if (!name.empty() && (!IsReachablePath(path) || IsFolder(path)))
      names.push_back(name);
    else
      DeleteItem(child, item);
  }
  ForEachSubfolder(folder, [&](const std::string& name) {
    if (std::find(names.begin(), names.end(), name) != names.end()) return;
    HTREEITEM added = InsertFolder(item, name);
    if (HasSubfolders(ItemPath(added))) AddDummy(added);
    names.push_back(name);
  });
  for (HTREEITEM child : Children(item)) RefreshSubtree(child, PathJoin(folder, ItemText(child)));
}

void CDriveView::OnRightClick(NMHDR*, LRESULT* result) {
  // Handled here: the selection stays, the commands act on the current folder.
  *result = 1;
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kContextMenu));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  CFrameWnd* frame = GetParentFrame();
  HWND owner = frame ? frame->m_hWnd : GetAncestor(m_hWnd, GA_ROOT);
  if (popup) {
    DWORD position = GetMessagePos();
    contextMenuOpen_ = 1;
    contextSubmenu_ = popup;
    WeakWnd<CDriveView> self(this);
    AfxTrackPopupMenu(popup, TPM_RIGHTBUTTON, static_cast<short>(LOWORD(position)),
                      static_cast<short>(HIWORD(position)), owner);
    if (self.Get()) {
      contextMenuOpen_ = 0;
      contextSubmenu_ = nullptr;
    }
  }
  DestroyMenu(menu);
}

void CDriveView::StopWatchers() {
  if (watchers_.empty()) return;
  SetEvent(stopEvent_);
  WaitForMultipleObjects(static_cast<DWORD>(watchers_.size()), watchers_.data(), TRUE, INFINITE);
  for (HANDLE watcher : watchers_) CloseHandle(watcher);
  watchers_.clear();
}

void CDriveView::OnDestroy() {
  // Joined before the window goes, so that no watcher posts to a destroyed window.
  StopWatchers();
  SendMessage(TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
  if (images_) ImageList_Destroy(images_);
  images_ = nullptr;
  CTreeView::OnDestroy();
}

void CDriveView::OnAddToFavorites() {
  if (!currentFolder_.empty()) AddFolderFavorite(currentFolder_);
}

void CDriveView::OnUpdateAddToFavorites(CCmdUI& ui) { ui.Enable(!currentFolder_.empty()); }
