#pragma once
// Owning handles for the menu manager's GDI objects and image lists, and the drawing steps of
// its items: check and radio marks, embossed images, the two-part item text.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <type_traits>

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
struct ImageListDeleter {
  void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;
struct MemoryDcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// Selects an object into a DC for the life of the scope.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (old_) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Where `inner` (cx x cy) sits centred in `outer`.
POINT CentredIn(const RECT& outer, SIZE inner);

// A monochrome bitmap of `size`: white with a black 4 x 4 dot in the middle.
UniqueBitmap MakeRadioMark(SIZE size);
// Draws a monochrome mark bitmap in `rect` on a menu or light background, framed when smaller.
void DrawCheckMark(HDC dc, const RECT& rect, bool selected, HBITMAP bitmap);
// Draws image `index` as a raised grey outline: highlight one pixel down-right, shadow on top.
void DrawEmbossedImage(HDC dc, HIMAGELIST list, int index, int x, int y, bool colour);
// Draws the text before the first tab on the left and the rest on the right.
void DrawItemText(HDC dc, const RECT& rect, const std::string& text, COLORREF colour);
