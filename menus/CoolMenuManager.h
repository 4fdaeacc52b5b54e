#pragma once
// Draws a frame's menus with its toolbar's button images, check and radio marks, embossed
// disabled images, favourite icons and accelerator texts rebuilt from the frame's accelerator
// table. Each popup's items become owner-drawn just before it opens and plain again when the menu
// closes. The frame owns the manager as a member and installs it from OnCreate; everything runs
// on the user-interface thread.
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "menus/MenuGdi.h"
#include "menus/SubclassWnd.h"
#include "program/CommandIds.h"

class CFrameWnd;

// Whether the owner-drawn menus go on a platform: everywhere but the NT family's version 4.
bool ShouldInstallMenuManager(DWORD platformId, DWORD majorVersion);
// The same question asked of the running platform.
bool PlatformWantsMenuManager();

// The item data of a converted item. Only records the manager made and still owns count as its
// own; the signature merely marks them.
struct MenuItemRecord {
  static constexpr DWORD kSignature = 0x3064696D;  // "mid0"
  DWORD signature = kSignature;
  std::string text;        // the item text, with the accelerator text behind a tab
  UINT type = 0;           // menu type flags after conversion
  int image = -1;          // index in the button image list
  int favoriteImage = -1;  // 0 folder, 1 file in the favourites image list
  HMENU menu = nullptr;    // the popup the record was made for
};

class CCoolMenuManager : public CSubclassWnd {
 public:
  LUMAVEX_RUNTIME_CLASS

  // Commands of the favourites list that show a folder or a file image.
  static constexpr UINT kFirstFavorite = 32901;
  static constexpr UINT kLastImagedFavorite = 32950;
  static constexpr UINT kFavoritesBitmap = IDB_FAVORITES_IMAGES;

  CCoolMenuManager();
  ~CCoolMenuManager() override;

  void Install(CFrameWnd* frame);
  // Adds the button images of toolbar resource `id`; false when its bitmap or layout is missing
  // or its image size differs from the first toolbar's.
  bool AddToolbarImages(UINT id);

  virtual void ReleaseAll();
  virtual void ReloadImages();

  // Index of `command`'s image in the button list, or -1.
  int ImageOfCommand(UINT command) const;
  SIZE ImageSize() const { return imageSize_; }
  SIZE ButtonSize() const { return buttonSize_; }
  HIMAGELIST ButtonImages() const { return buttonImages_.get(); }
  HIMAGELIST FavoriteImages() const { return favoriteImages_.get(); }
  HBITMAP RadioMark() const { return radioMark_.get(); }
  // Records alive now (each belongs to one owner-drawn item).
  size_t RecordCount() const { return records_.size(); }
  size_t ConvertedMenuCount() const { return converted_.size(); }
  // How many times the favourites list was read from the profile.
  size_t FavoriteListReads() const { return favoriteReads_; }
  // The record of `itemData` when this manager owns it.
  const MenuItemRecord* OwnedRecord(ULONG_PTR itemData) const;

  // Copies an accelerator table; each command's keys become the text behind its items' tab.
  void LoadAccelTable(HACCEL table);
  // Cuts `text` at its tab and appends the command's keys; false when it has none.
  bool AppendAccelText(std::string& text, UINT command) const;

  int showImages = 1;
  int acceleratorTexts = 1;
  int disabledByIcon = 0;
  int disabledInColour = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void PreparePopup(HMENU menu, UINT index, bool systemMenu);
  virtual bool MeasureMenuItem(MEASUREITEMSTRUCT& measure);
  virtual bool DrawMenuItem(const DRAWITEMSTRUCT& draw);
  virtual LRESULT FindMenuMnemonic(char typed, UINT flags, HMENU menu);
  virtual void NoteMenuSelect(UINT item, UINT flags, HMENU menu);

 private:
  struct AccelEntry {
    BYTE flags;
    WORD key;
    size_t back;  // entries back to the same command's previous entry, 0 for none
  };

  void SetOwnerDraw(HMENU menu, bool systemMenu, bool on);
  void ConvertItem(HMENU menu, UINT position, bool systemMenu, bool on, const std::vector<std::string>& favorites);
  MenuItemRecord* MakeRecord(HMENU menu, UINT id, UINT type, const std::vector<std::string>& favorites);
  void FreeRecord(const MenuItemRecord* record);
  // Frees the records of `menu` that no item of it carries any more (the popup was rebuilt).
  void FreeDetachedRecords(HMENU menu);
  // Turns every converted menu back and frees whatever records remain.
  void RevertConverted();
  HFONT MenuFont();
  void DrawImageBox(HDC dc, const DRAWITEMSTRUCT& draw, const MenuItemRecord& record, RECT& box, bool& hasBox);

  CFrameWnd* frame_ = nullptr;
  std::vector<UINT> toolbars_;
  UniqueImageList buttonImages_;
  SIZE imageSize_{0, 0};
  SIZE buttonSize_{0, 0};
  std::map<WORD, int> commandImages_;
  std::map<WORD, size_t> commandAccels_;
  HACCEL storedAccel_ = nullptr;
  std::vector<AccelEntry> accels_;
  std::vector<HMENU> converted_;
  UniqueFont menuFont_;
  UniqueImageList favoriteImages_;
  UniqueBitmap radioMark_;
  UniqueBitmap checkMark_;
  std::map<ULONG_PTR, std::unique_ptr<MenuItemRecord>> records_;
  size_t favoriteReads_ = 0;
};
