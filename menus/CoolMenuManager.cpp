#include "menus/CoolMenuManager.h"

#include <algorithm>
#include <cstddef>
#include <set>

#include "framework/ControlBars.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "navigation/ProfileMruList.h"

namespace {
constexpr UINT kMenuClosed = 0xFFFF;
constexpr UINT kFirstSystemCommand = 0xF000;
constexpr int kStandardCheckBitmap = 32760;  // OBM_CHECK

std::string ItemText(HMENU menu, UINT position) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  if (!GetMenuItemInfoA(menu, position, TRUE, &info) || info.cch == 0) return {};
  std::string text(info.cch + 1, '\0');
  info.dwTypeData = text.data();
  info.cch = static_cast<UINT>(text.size());
  if (!GetMenuItemInfoA(menu, position, TRUE, &info)) return {};
  text.resize(std::min<size_t>(info.cch, text.size() - 1));
  return text;
}

char Upper(char c) {
  char s[2] = {c, 0};
  CharUpperBuffA(s, 1);
  return s[0];
}

// The favourites list as the Favorites menu lists it, so that item k gets the image of entry k.
std::vector<std::string> ReadFavorites() {
  CProfileMruList list = FavoriteList();
  list.ReadList();
  return list.Names();
}

bool HasImagedFavorite(HMENU menu, int count) {
  for (int i = 0; i < count; ++i) {
    UINT id = GetMenuItemID(menu, i);
    if (id >= CCoolMenuManager::kFirstFavorite && id <= CCoolMenuManager::kLastImagedFavorite) return true;
  }
  return false;
}
}  // namespace

bool ShouldInstallMenuManager(DWORD platformId, DWORD majorVersion) {
  return !(platformId == VER_PLATFORM_WIN32_NT && majorVersion == 4);
}

bool PlatformWantsMenuManager() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return true;
  return ShouldInstallMenuManager(version.dwPlatformId, version.dwMajorVersion);
}

const CRuntimeClass CCoolMenuManager::kClass{"CCoolMenuManager", &CSubclassWnd::kClass};

CCoolMenuManager::CCoolMenuManager()
    : favoriteImages_(ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kFavoritesBitmap), 16, 0,
                                           RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION)),
      radioMark_(MakeRadioMark({GetSystemMetrics(SM_CXMENUCHECK), GetSystemMetrics(SM_CYMENUCHECK)})),
      checkMark_(LoadBitmapA(nullptr, MAKEINTRESOURCEA(kStandardCheckBitmap))) {}

CCoolMenuManager::~CCoolMenuManager() {
  HookTo(nullptr);
  CCoolMenuManager::ReleaseAll();
}

void CCoolMenuManager::Install(CFrameWnd* frame) {
  frame_ = frame;
  HookTo(frame);
}

bool CCoolMenuManager::AddToolbarImages(UINT id) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  UniqueBitmap bitmap(CreateMappedBitmap(instance, static_cast<INT_PTR>(id), 0, nullptr, 0));
  if (!bitmap) return false;
  ToolbarResource layout;
  if (!ReadToolbarResource(instance, id, layout) || layout.imageWidth <= 0 || layout.imageHeight <= 0) return false;
  if (imageSize_.cx == 0) {
    UniqueImageList list(ImageList_Create(layout.imageWidth, layout.imageHeight, ILC_MASK | ILC_COLOR24, 0, 10));
    if (!list) return false;
    buttonImages_ = std::move(list);
    imageSize_ = {layout.imageWidth, layout.imageHeight};
    buttonSize_ = {layout.imageWidth + 4, layout.imageHeight + 4};
  } else if (imageSize_.cx != layout.imageWidth || imageSize_.cy != layout.imageHeight) {
    return false;
  }
  int next = ImageList_GetImageCount(buttonImages_.get());
  if (ImageList_AddMasked(buttonImages_.get(), bitmap.get(), GetSysColor(COLOR_BTNFACE)) < 0) return false;
  for (UINT item : layout.items) {
    if (item == 0) continue;
    auto found = commandImages_.find(static_cast<WORD>(item));
    if (found != commandImages_.end() && found->second >= 0) continue;
    commandImages_[static_cast<WORD>(item)] = next++;
  }
  toolbars_.push_back(id);
  return true;
}

void CCoolMenuManager::ReleaseAll() {
  // Items still converted would keep pointers to freed records: turn them back first.
  RevertConverted();
  buttonImages_.reset();
  commandImages_.clear();
  imageSize_ = {0, 0};
  buttonSize_ = {0, 0};
  toolbars_.clear();
  menuFont_.reset();
  commandAccels_.clear();
  accels_.clear();
}

void CCoolMenuManager::ReloadImages() {
  std::vector<UINT> ids = toolbars_;
  ReleaseAll();
  for (UINT id : ids) AddToolbarImages(id);
}

int CCoolMenuManager::ImageOfCommand(UINT command) const {
  if (command == 0) return -1;
  auto found = commandImages_.find(static_cast<WORD>(command));
  return found == commandImages_.end() ? -1 : found->second;
}

const MenuItemRecord* CCoolMenuManager::OwnedRecord(ULONG_PTR itemData) const {
  if (!itemData) return nullptr;
  auto found = records_.find(itemData);
  return found == records_.end() ? nullptr : found->second.get();
}

LRESULT CCoolMenuManager::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOLORCHANGE:
    case WM_WININICHANGE: ReloadImages(); break;
    case WM_DRAWITEM:
      if (lParam && DrawMenuItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_MEASUREITEM:
      if (lParam && MeasureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_INITMENUPOPUP:
      // The frame sets checks, enabled states and dynamic lists first.
      CSubclassWnd::HandleMessage(message, wParam, lParam);
      PreparePopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam) != 0);
      return 0;
    case WM_MENUSELECT: NoteMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)); break;
    case WM_MENUCHAR:
      if (LRESULT found =
              FindMenuMnemonic(static_cast<char>(LOWORD(wParam)), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)))
        return found;
      break;
    default: break;
  }
  return CSubclassWnd::HandleMessage(message, wParam, lParam);
}

void CCoolMenuManager::PreparePopup(HMENU menu, UINT, bool systemMenu) {
  if (acceleratorTexts && frame_) {
    HACCEL table = frame_->Accelerators();
    if (table != storedAccel_) LoadAccelTable(table);
  }
  SetOwnerDraw(menu, systemMenu, showImages != 0);
}

void CCoolMenuManager::NoteMenuSelect(UINT, UINT flags, HMENU menu) {
  if (!menu && flags == kMenuClosed) RevertConverted();
}

void CCoolMenuManager::RevertConverted() {
  while (!converted_.empty()) {
    HMENU menu = converted_.front();
    converted_.erase(converted_.begin());
    SetOwnerDraw(menu, false, false);
  }
  // Records of menus destroyed while open.
  records_.clear();
}

void CCoolMenuManager::LoadAccelTable(HACCEL table) {
  accels_.clear();
  commandAccels_.clear();
  if (!table) return;
  int count = CopyAcceleratorTableA(table, nullptr, 0);
  if (count <= 0) return;
  std::vector<ACCEL> copy(static_cast<size_t>(count));
  count = CopyAcceleratorTableA(table, copy.data(), count);
  copy.resize(static_cast<size_t>(std::max(count, 0)));
  for (size_t k = 0; k < copy.size(); ++k) {
    auto previous = commandAccels_.find(copy[k].cmd);
    size_t back = previous == commandAccels_.end() ? 0 : k - previous->second;
    commandAccels_[copy[k].cmd] = k;
    accels_.push_back({copy[k].fVirt, copy[k].key, back});
  }
}

bool CCoolMenuManager::AppendAccelText(std::string& text, UINT command) const {
  size_t tab = text.find('\t');
  if (tab != std::string::npos && tab != 0) text.resize(tab);
  auto found = commandAccels_.find(static_cast<WORD>(command));
  if (command == 0 || found == commandAccels_.end()) return false;
  size_t k = found->second;
  for (bool first = true;; first = false) {
    const AccelEntry& entry = accels_[k];
    text += first ? "\t" : ", ";
    if (entry.flags & FALT) text += "Alt+";
    if (entry.flags & FCONTROL) text += "Ctrl+";
    if (entry.flags & FSHIFT) text += "Shift+";
    if (entry.flags & FVIRTKEY) {
      UINT scan = MapVirtualKeyA(entry.key, MAPVK_VK_TO_VSC);
      char name[64] = "";
      int length = GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name);
      text.append(name, static_cast<size_t>(std::max(length, 0)));
    } else {
      text += static_cast<char>(entry.key);
    }
    if (entry.back == 0 || entry.back > k) break;
    k -= entry.back;
  }
  return true;
}

void CCoolMenuManager::SetOwnerDraw(HMENU menu, bool systemMenu, bool on) {
  int count = GetMenuItemCount(menu);
  if (count > 0) {
    std::vector<std::string> favorites;
    if (on && HasImagedFavorite(menu, count)) {
      favorites = ReadFavorites();
      ++favoriteReads_;
    }
    for (int i = 0; i < count; ++i) ConvertItem(menu, static_cast<UINT>(i), systemMenu, on, favorites);
  }
  FreeDetachedRecords(menu);
}

void CCoolMenuManager::ConvertItem(HMENU menu, UINT position, bool systemMenu, bool on,
                                   const std::vector<std::string>& favorites) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  if (!GetMenuItemInfoA(menu, position, TRUE, &info)) return;
  auto owned = info.dwItemData ? records_.find(info.dwItemData) : records_.end();
  MenuItemRecord* record = owned == records_.end() ? nullptr : owned->second.get();
  bool ownerDrawn = (info.fType & MFT_OWNERDRAW) != 0;
  // Someone else's item data or drawing, bitmap items and the system's own commands stay as
  // they are.
  if (info.dwItemData && !record) return;
  if (ownerDrawn && !record) return;
  if (info.fType & MFT_BITMAP) return;
  if (systemMenu && info.wID >= kFirstSystemCommand) return;
  UINT id = info.hSubMenu ? 0 : info.wID;
  bool loaded = acceleratorTexts && !accels_.empty();
  bool separator = (info.fType & MFT_SEPARATOR) != 0;

  MENUITEMINFOA change{};
  change.cbSize = sizeof change;
  if (on) {
    if (!ownerDrawn) {
      change.fMask |= MIIM_FTYPE;
      change.fType = info.fType | MFT_OWNERDRAW;
      if (!record) {
        record = MakeRecord(menu, id, change.fType, favorites);
        change.fMask |= MIIM_DATA;
        change.dwItemData = reinterpret_cast<ULONG_PTR>(record);
      }
      record->type = change.fType;
      record->text = separator ? std::string() : ItemText(menu, position);
      SetMenuItemInfoA(menu, position, TRUE, &change);
    }
    if (std::find(converted_.begin(), converted_.end(), menu) == converted_.end()) converted_.push_back(menu);
    if (loaded && !separator) AppendAccelText(record->text, id);
    return;
  }

  std::string text = record ? record->text : ItemText(menu, position);
  if (ownerDrawn) {
    change.fMask |= MIIM_FTYPE;
    change.fType = info.fType & ~static_cast<UINT>(MFT_OWNERDRAW);
  }
  if (record) {
    change.fMask |= MIIM_DATA;
    change.dwItemData = 0;
  }
  bool setText = loaded && !separator && AppendAccelText(text, id);
  if (!separator && (ownerDrawn || setText)) {
    change.fMask |= MIIM_STRING;
    change.dwTypeData = text.data();
  }
  if (change.fMask) SetMenuItemInfoA(menu, position, TRUE, &change);
  if (record) FreeRecord(record);
}

MenuItemRecord* CCoolMenuManager::MakeRecord(HMENU menu, UINT id, UINT type,
                                             const std::vector<std::string>& favorites) {
  auto record = std::make_unique<MenuItemRecord>();
  record->type = type;
  record->image = ImageOfCommand(id);
  if (id >= kFirstFavorite && id <= kLastImagedFavorite) {
    size_t slot = id - kFirstFavorite;
    bool file = slot < favorites.size() && favorites[slot].find('.') != std::string::npos;
    record->favoriteImage = file ? 1 : 0;
  }
  record->menu = menu;
  MenuItemRecord* raw = record.get();
  records_.emplace(reinterpret_cast<ULONG_PTR>(raw), std::move(record));
  return raw;
}

void CCoolMenuManager::FreeRecord(const MenuItemRecord* record) { records_.erase(reinterpret_cast<ULONG_PTR>(record)); }

void CCoolMenuManager::FreeDetachedRecords(HMENU menu) {
  std::set<ULONG_PTR> attached;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) attached.insert(info.dwItemData);
  }
  for (auto it = records_.begin(); it != records_.end();) {
    if (it->second->menu == menu && !attached.count(it->first))
      it = records_.erase(it);
    else
      ++it;
  }
}

HFONT CCoolMenuManager::MenuFont() {
  if (!menuFont_) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
      // Systems before the padded border width know the shorter structure only.
      metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
      if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return nullptr;
    }
    menuFont_.reset(CreateFontIndirectA(&metrics.lfMenuFont));
  }
  return menuFont_.get();
}

bool CCoolMenuManager::MeasureMenuItem(MEASUREITEMSTRUCT& measure) {
  if (measure.CtlType != ODT_MENU) return false;
  const MenuItemRecord* record = OwnedRecord(measure.itemData);
  if (!record) return false;
  int menuHeight = GetSystemMetrics(SM_CYMENU);
  if (record->type & MFT_SEPARATOR) {
    measure.itemHeight = static_cast<UINT>(menuHeight / 2);
    measure.itemWidth = 0;
    return true;
  }
  RECT text{0, 0, 0, 0};
  if (HDC dc = GetDC(nullptr)) {
    {
      ScopedSelect font(dc, MenuFont());
      DrawTextA(dc, record->text.c_str(), static_cast<int>(record->text.size()), &text,
                DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_CALCRECT);
    }
    ReleaseDC(nullptr, dc);
  }
  int width = text.right - text.left + 2 * buttonSize_.cx + 6 - GetSystemMetrics(SM_CXMENUCHECK);
  measure.itemHeight = static_cast<UINT>(std::max<int>(text.bottom - text.top, menuHeight));
  measure.itemWidth = static_cast<UINT>(std::max(width, 0));
  return true;
}

void CCoolMenuManager::DrawImageBox(HDC dc, const DRAWITEMSTRUCT& draw, const MenuItemRecord& record, RECT& box,
                                    bool& hasBox) {
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  bool grayed = (draw.itemState & ODS_GRAYED) != 0;
  bool checked = (draw.itemState & ODS_CHECKED) != 0;
  bool favorite = record.favoriteImage >= 0;
  HIMAGELIST list = favorite ? favoriteImages_.get() : buttonImages_.get();
  int image = favorite ? record.favoriteImage : record.image;
  if (image < 0 || !list) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS | MIIM_FTYPE;
    UINT type = record.type;
    if (GetMenuItemInfoA(reinterpret_cast<HMENU>(draw.hwndItem), draw.itemID, FALSE, &info)) type = info.fType;
    HBITMAP mark = info.hbmpUnchecked;
    if (checked) {
      mark = info.hbmpChecked;
      if (!mark) mark = (type & MFT_RADIOCHECK) ? radioMark_.get() : checkMark_.get();
    }
    if (!mark) return;
    DrawCheckMark(dc, box, selected, mark);
    hasBox = true;
    return;
  }
  hasBox = true;
  int cx = 0;
  int cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  POINT at = CentredIn(box, {cx, cy});
  if (grayed) {
    if (disabledByIcon) {
      if (HICON icon = ImageList_GetIcon(list, image, ILD_NORMAL)) {
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, at.x, at.y, 0, 0, DST_ICON | DSS_DISABLED);
        DestroyIcon(icon);
      }
    } else {
      DrawEmbossedImage(dc, list, image, at.x, at.y, disabledInColour != 0);
    }
    return;
  }
  FillRect(dc, &box, GetSysColorBrush(!checked || selected ? COLOR_MENU : COLOR_3DLIGHT));
  if (selected || checked) {
    RECT edge = box;
    DrawEdge(dc, &edge, checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  ImageList_Draw(list, image, dc, at.x, at.y, ILD_TRANSPARENT);
}

bool CCoolMenuManager::DrawMenuItem(const DRAWITEMSTRUCT& draw) {
  if (draw.CtlType != ODT_MENU) return false;
  const MenuItemRecord* record = OwnedRecord(draw.itemData);
  if (!record) return false;
  HDC dc = draw.hDC;
  const RECT& item = draw.rcItem;
  if (record->type & MFT_SEPARATOR) {
    RECT line = item;
    line.top += (item.bottom - item.top) / 2;
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return true;
  }
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  bool grayed = (draw.itemState & ODS_GRAYED) != 0;
  int top = item.top + (item.bottom - item.top - buttonSize_.cy) / 2;
  RECT box{item.left, top, item.left + buttonSize_.cx, top + buttonSize_.cy};
  bool hasBox = false;
  DrawImageBox(dc, draw, *record, box, hasBox);

  int background = selected ? COLOR_HIGHLIGHT : COLOR_MENU;
  if (selected || (draw.itemAction & ODA_SELECT)) {
    RECT fill = item;
    if (hasBox) fill.left = box.right + 1;
    FillRect(dc, &fill, GetSysColorBrush(background));
  }
  RECT text{item.left + buttonSize_.cx + 3, item.top, item.right - buttonSize_.cx, item.bottom};
  int oldMode = SetBkMode(dc, TRANSPARENT);
  ScopedSelect font(dc, MenuFont());
  COLORREF colour = GetSysColor(grayed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  if (grayed && (!selected || colour == GetSysColor(background))) {
    RECT shadow = text;
    OffsetRect(&shadow, 1, 1);
    DrawItemText(dc, shadow, record->text, GetSysColor(COLOR_3DHILIGHT));
  }
  DrawItemText(dc, text, record->text, colour);
  SetBkMode(dc, oldMode);
  return true;
}

LRESULT CCoolMenuManager::FindMenuMnemonic(char typed, UINT, HMENU menu) {
  int count = GetMenuItemCount(menu);
  int highlighted = -1;
  std::vector<int> candidates;
  char wanted = Upper(typed);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.fState & MFS_HILITE) highlighted = i;
    const MenuItemRecord* record = OwnedRecord(info.dwItemData);
    if (!(info.fType & MFT_OWNERDRAW) || !record) continue;
    size_t amp = record->text.find('&');
    if (amp == std::string::npos || amp + 1 >= record->text.size()) continue;
    if (Upper(record->text[amp + 1]) == wanted) candidates.push_back(i);
  }
  if (candidates.empty()) return 0;
  if (candidates.size() == 1) return MAKELRESULT(candidates.front(), MNC_EXECUTE);
  for (int position : candidates)
    if (position > highlighted) return MAKELRESULT(position, MNC_SELECT);
  return MAKELRESULT(candidates.front(), MNC_SELECT);
}
