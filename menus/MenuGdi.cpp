#include "menus/MenuGdi.h"

namespace {
constexpr DWORD kRopPatternWhereSourceDark = 0x00B8074A;

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!GetObjectA(bitmap, sizeof info, &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}
}  // namespace

POINT CentredIn(const RECT& outer, SIZE inner) {
  return {outer.left + (outer.right - outer.left - inner.cx) / 2,
          outer.top + (outer.bottom - outer.top - inner.cy) / 2};
}

UniqueBitmap MakeRadioMark(SIZE size) {
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  UniqueBitmap bitmap(CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!bitmap || !dc) return nullptr;
  ScopedSelect keep(dc.get(), bitmap.get());
  RECT all{0, 0, size.cx, size.cy};
  FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ScopedSelect pen(dc.get(), GetStockObject(BLACK_PEN));
  ScopedSelect brush(dc.get(), GetStockObject(BLACK_BRUSH));
  int dx = size.cx / 2 - 2;
  int dy = size.cy / 2 - 2;
  Ellipse(dc.get(), dx, dy, size.cx - dx, size.cy - dy);
  return bitmap;
}

void DrawCheckMark(HDC dc, const RECT& rect, bool selected, HBITMAP bitmap) {
  SIZE size = BitmapSize(bitmap);
  if (size.cx <= 0 || size.cy <= 0) return;
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  ScopedSelect keep(source.get(), bitmap);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  bool narrower = size.cx < width;
  RECT placed = rect;
  POINT from{0, 0};
  if (narrower) {
    POINT at = CentredIn(rect, size);
    placed = {at.x, at.y, at.x + size.cx, at.y + size.cy};
  } else {
    from = {(size.cx - width) / 2, (size.cy - height) / 2};
  }
  COLORREF oldBack = SetBkColor(dc, GetSysColor(selected ? COLOR_MENU : COLOR_3DLIGHT));
  COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
  BitBlt(dc, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, source.get(), from.x,
         from.y, SRCCOPY);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  if (narrower) {
    InflateRect(&placed, 1, 1);
    DrawEdge(dc, &placed, BDR_SUNKENOUTER, BF_RECT);
  }
}

void DrawEmbossedImage(HDC dc, HIMAGELIST list, int index, int x, int y, bool colour) {
  int cx = 0;
  int cy = 0;
  if (!ImageList_GetIconSize(list, &cx, &cy) || cx <= 0 || cy <= 0) return;
  UniqueMemoryDc work(CreateCompatibleDC(dc));
  UniqueBitmap bitmap(colour ? CreateCompatibleBitmap(dc, cx, cy) : CreateBitmap(cx, cy, 1, 1, nullptr));
  if (!work || !bitmap) return;
  {
    ScopedSelect keep(work.get(), bitmap.get());
    RECT all{0, 0, cx, cy};
    FillRect(work.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, index, work.get(), 0, 0, ILD_TRANSPARENT);
    COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    UniqueBrush highlight(CreateSolidBrush(GetSysColor(COLOR_BTNHIGHLIGHT)));
    UniqueBrush shadow(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
    {
      ScopedSelect brush(dc, highlight.get());
      BitBlt(dc, x + 1, y + 1, cx, cy, work.get(), 0, 0, kRopPatternWhereSourceDark);
    }
    {
      ScopedSelect brush(dc, shadow.get());
      BitBlt(dc, x, y, cx, cy, work.get(), 0, 0, kRopPatternWhereSourceDark);
    }
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
  }
}

void DrawItemText(HDC dc, const RECT& rect, const std::string& text, COLORREF colour) {
  COLORREF old = SetTextColor(dc, colour);
  size_t tab = text.find('\t');
  std::string left = text.substr(0, tab);
  RECT r = rect;
  constexpr UINT kLine = DT_SINGLELINE | DT_VCENTER;
  DrawTextA(dc, left.c_str(), static_cast<int>(left.size()), &r, kLine | DT_LEFT);
  if (tab != std::string::npos && tab != 0) {
    std::string right = text.substr(tab + 1);
    r = rect;
    DrawTextA(dc, right.c_str(), static_cast<int>(right.size()), &r, kLine | DT_RIGHT);
  }
  SetTextColor(dc, old);
}
