#include <memory>
#include <set>

#include "app/Resource.h"
#include "tests/menus/MenuTestFrame.h"

namespace {

constexpr COLORREF kUntouched = RGB(1, 2, 3);
constexpr int kWidth = 200;
constexpr int kHeight = 24;
// Button box 20 x 19 centred vertically in the 24-pixel item: (0, 2) to (20, 21); the 16 x 15
// image centred in it at (2, 4).
constexpr RECT kBox{0, 2, 20, 21};
constexpr POINT kImageAt{2, 4};
constexpr RECT kImage{2, 4, 18, 19};
constexpr RECT kText{23, 0, kWidth - 20, kHeight};

COLORREF Sys(int index) { return GetSysColor(index); }

class MenuDrawing : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    // Wine's default scheme shares some of these colours; the checks need them apart.
    colours_ = std::make_unique<ScopedSysColors>(std::initializer_list<std::pair<int, COLORREF>>{
        {COLOR_MENU, RGB(236, 233, 216)},
        {COLOR_HIGHLIGHT, RGB(49, 106, 197)},
        {COLOR_HIGHLIGHTTEXT, RGB(250, 250, 250)},
        {COLOR_3DLIGHT, RGB(227, 227, 227)},
        {COLOR_BTNSHADOW, RGB(128, 128, 128)},
        {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)},
        {COLOR_GRAYTEXT, RGB(172, 168, 153)},
        {COLOR_MENUTEXT, RGB(0, 0, 0)},
    });
    // The checks below tell these colours apart.
    std::set<COLORREF> distinct{Sys(COLOR_MENU),          Sys(COLOR_HIGHLIGHT),    Sys(COLOR_3DLIGHT),
                                Sys(COLOR_BTNSHADOW),     Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_GRAYTEXT),
                                Sys(COLOR_HIGHLIGHTTEXT), Sys(COLOR_MENUTEXT),     kUntouched};
    ASSERT_EQ(distinct.size(), 9u);
  }
  void TearDown() override {
    MenuTest::TearDown();
    colours_.reset();
  }
  // Sends WM_DRAWITEM for the item at `position` of `menu`, drawing into `canvas`.
  LRESULT Draw(MemoryCanvas& canvas, HMENU menu, int position, UINT state, UINT action = ODA_DRAWENTIRE) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = GetMenuItemID(menu, position);
    draw.itemAction = action;
    draw.itemState = state;
    draw.hwndItem = reinterpret_cast<HWND>(menu);
    draw.hDC = canvas.Dc();
    draw.rcItem = {0, 0, canvas.Width(), canvas.Height()};
    draw.itemData = ReadItem(menu, position).data;
    return frame_->SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
  }
  // Pixels of `area` that differ between two canvases.
  static int Differences(const MemoryCanvas& a, const MemoryCanvas& b, const RECT& area) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (a.Pixel(x, y) != b.Pixel(x, y)) ++count;
    return count;
  }
  // The image as drawn straight from its list onto a menu background.
  static void Reference(MemoryCanvas& canvas, HIMAGELIST list, int index) {
    ImageList_Draw(list, index, canvas.Dc(), kImageAt.x, kImageAt.y, ILD_TRANSPARENT);
  }
  HMENU File() { return MenuBarPopup(0); }

  std::unique_ptr<ScopedSysColors> colours_;
};

TEST_F(MenuDrawing, SelectedItemHighlightsAndShowsItsButtonImageCentredInARaisedBox) {
  Open(File());
  MemoryCanvas canvas(kWidth, kHeight, kUntouched);
  EXPECT_EQ(Draw(canvas, File(), 0, ODS_SELECTED, ODA_SELECT), TRUE);
  EXPECT_EQ(frame_->drawsSeen, 0);
  // Highlight from one pixel right of the box to the end of the item.
  EXPECT_EQ(canvas.Pixel(21, 0), Sys(COLOR_HIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), Sys(COLOR_HIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(20, 12), kUntouched);
  EXPECT_EQ(canvas.Pixel(10, 0), kUntouched);
  // Raised box: light top-left, shadowed bottom-right, menu colour inside.
  EXPECT_EQ(canvas.Pixel(kBox.left, kBox.top), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(kBox.right - 1, kBox.bottom - 1), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.Pixel(kBox.left + 1, kBox.top + 1), Sys(COLOR_MENU));

  MemoryCanvas reference(kWidth, kHeight, Sys(COLOR_MENU));
  Reference(reference, manager_.ButtonImages(), 2);
  EXPECT_EQ(Differences(canvas, reference, kImage), 0);
  EXPECT_GT(canvas.Count(kText, Sys(COLOR_HIGHLIGHTTEXT)), 20);
  Close();
}

TEST_F(MenuDrawing, OnlyADisabledItemGetsTheEmbossedImageAndTheShadowedText) {
  Open(File());
  const int print = 6;
  MemoryCanvas reference(kWidth, kHeight, Sys(COLOR_MENU));
  Reference(reference, manager_.ButtonImages(), 3);

  MemoryCanvas enabled(kWidth, kHeight, Sys(COLOR_MENU));
  Draw(enabled, File(), print, 0);
  EXPECT_EQ(Differences(enabled, reference, kImage), 0);
  EXPECT_EQ(enabled.Count(kText, Sys(COLOR_GRAYTEXT)), 0);

  MemoryCanvas grayed(kWidth, kHeight, Sys(COLOR_MENU));
  Draw(grayed, File(), print, ODS_GRAYED);
  int shadow = grayed.Count(kImage, Sys(COLOR_BTNSHADOW));
  int light = grayed.Count(kImage, Sys(COLOR_BTNHIGHLIGHT));
  int menu = grayed.Count(kImage, Sys(COLOR_MENU));
  EXPECT_GT(shadow, 10);
  EXPECT_GT(light, 10);
  // Highlight and shadow over the plain background, nothing of the image's own colours.
  RECT embossArea{kImage.left, kImage.top, kImage.right + 1, kImage.bottom + 1};
  int total = (embossArea.right - embossArea.left) * (embossArea.bottom - embossArea.top);
  EXPECT_EQ(grayed.Count(embossArea, Sys(COLOR_BTNSHADOW)) + grayed.Count(embossArea, Sys(COLOR_BTNHIGHLIGHT)) +
                grayed.Count(embossArea, Sys(COLOR_MENU)),
            total);
  EXPECT_GT(menu, 0);
  // Grey text over a light copy one pixel down and right.
  int grayText = grayed.Count(kText, Sys(COLOR_GRAYTEXT));
  EXPECT_GT(grayText, 20);
  EXPECT_GT(grayed.Count(kText, Sys(COLOR_3DHILIGHT)), 5);
  for (int y = kText.top; y < kText.bottom; ++y)
    for (int x = kText.left + 1; x < kText.right; ++x)
      if (grayed.Pixel(x, y) == Sys(COLOR_3DHILIGHT) && grayed.Pixel(x - 1, y - 1) == Sys(COLOR_MENU)) {
        ADD_FAILURE() << "light pixel without text up-left of it at " << x << "," << y;
        y = kText.bottom;
        break;
      }

  // Selected, the grey text stands on the highlight without a shadow.
  MemoryCanvas selected(kWidth, kHeight, Sys(COLOR_MENU));
  Draw(selected, File(), print, ODS_GRAYED | ODS_SELECTED);
  EXPECT_GT(selected.Count(kText, Sys(COLOR_GRAYTEXT)), 20);
  EXPECT_EQ(selected.Count(kText, Sys(COLOR_3DHILIGHT)), 0);
  Close();
}

TEST_F(MenuDrawing, DisabledByIconStillDrawsADisabledImage) {
  Open(File());
  const int print = 6;
  manager_.disabledByIcon = 1;
  MemoryCanvas icon(kWidth, kHeight, Sys(COLOR_MENU));
  Draw(icon, File(), print, ODS_GRAYED);
  MemoryCanvas reference(kWidth, kHeight, Sys(COLOR_MENU));
  Reference(reference, manager_.ButtonImages(), 3);
  EXPECT_GT(Differences(icon, reference, kImage), 20);
  RECT area{kImage.left, kImage.top, kImage.right + 1, kImage.bottom + 1};
  int total = (area.right - area.left) * (area.bottom - area.top);
  int greys = icon.Count(area, Sys(COLOR_BTNSHADOW)) + icon.Count(area, Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_GT(greys, 20);
  EXPECT_EQ(greys + icon.Count(area, Sys(COLOR_MENU)), total);
  Close();
}

TEST_F(MenuDrawing, CheckedItemWithAnImageSitsInAPressedLightBox) {
  HMENU tools = MenuBarPopup(3);
  Open(tools);
  MemoryCanvas canvas(kWidth, kHeight, kUntouched);
  Draw(canvas, tools, 0, ODS_CHECKED);
  EXPECT_EQ(canvas.Pixel(kBox.left, kBox.top), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.Pixel(kBox.right - 1, kBox.bottom - 1), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(kBox.left + 1, kBox.top + 1), Sys(COLOR_3DLIGHT));
  MemoryCanvas reference(kWidth, kHeight, Sys(COLOR_3DLIGHT));
  Reference(reference, manager_.ButtonImages(), 8);
  EXPECT_EQ(Differences(canvas, reference, kImage), 0);
  Close();
}

TEST_F(MenuDrawing, RadioItemsShowADotAndCheckedItemsACheckMark) {
  HMENU view = MenuBarPopup(1);
  HMENU sortBy = nullptr;
  for (int i = 0; i < GetMenuItemCount(view) && !sortBy; ++i)
    if (HMENU sub = GetSubMenu(view, i); sub && GetMenuItemID(sub, 0) == ID_SORT_NAME) sortBy = sub;
  ASSERT_NE(sortBy, nullptr);
  Open(view);
  Open(sortBy, 0);
  ASSERT_TRUE(ReadItem(sortBy, 1).type & MFT_RADIOCHECK);
  ASSERT_TRUE(ReadItem(sortBy, 1).state & MFS_CHECKED);

  MemoryCanvas radio(kWidth, kHeight, kUntouched);
  Draw(radio, sortBy, 1, ODS_CHECKED);
  int cx = GetSystemMetrics(SM_CXMENUCHECK);
  int cy = GetSystemMetrics(SM_CYMENUCHECK);
  ASSERT_LT(cx, 20);
  POINT at{(20 - cx) / 2, kBox.top + (19 - cy) / 2};
  EXPECT_EQ(radio.Pixel(at.x + cx / 2, at.y + cy / 2), Sys(COLOR_MENUTEXT));
  EXPECT_EQ(radio.Pixel(at.x, at.y), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(radio.Pixel(at.x - 1, at.y - 1), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(radio.Pixel(at.x + cx, at.y + cy), Sys(COLOR_BTNHIGHLIGHT));
  RECT mark{at.x, at.y, at.x + cx, at.y + cy};
  int dot = radio.Count(mark, Sys(COLOR_MENUTEXT));
  EXPECT_GE(dot, 9);
  EXPECT_LE(dot, 25);

  // Selected, the mark's background is the menu colour.
  MemoryCanvas selected(kWidth, kHeight, kUntouched);
  Draw(selected, sortBy, 1, ODS_CHECKED | ODS_SELECTED);
  EXPECT_EQ(selected.Pixel(at.x, at.y), Sys(COLOR_MENU));
  EXPECT_EQ(selected.Pixel(21, 0), Sys(COLOR_HIGHLIGHT));

  // An unchecked item without an image has no box at all.
  MemoryCanvas unchecked(kWidth, kHeight, kUntouched);
  Draw(unchecked, sortBy, 0, 0);
  EXPECT_EQ(unchecked.Count(kBox, kUntouched), 20 * 19);
  MemoryCanvas uncheckedSelected(kWidth, kHeight, kUntouched);
  Draw(uncheckedSelected, sortBy, 0, ODS_SELECTED);
  EXPECT_EQ(uncheckedSelected.Pixel(0, 12), Sys(COLOR_HIGHLIGHT));

  // A checked plain item (not a radio item) shows the system's check mark instead of the dot.
  Open(File());
  MemoryCanvas check(kWidth, kHeight, kUntouched);
  Draw(check, File(), 11, ODS_CHECKED);
  EXPECT_GT(Differences(check, radio, mark), 0);
  EXPECT_GT(check.Count(kBox, Sys(COLOR_MENUTEXT)), 0);
  Close();
}

TEST_F(MenuDrawing, FavouritesDrawTheirFolderOrFileImage) {
  app_.WriteProfileString("Favorites", "Favorites1", "Holidays");
  app_.WriteProfileString("Favorites", "Favorites2", "beach.jpg");
  HMENU list = CreatePopupMenu();
  AppendMenuA(list, MF_STRING, ID_FAVORITE_FIRST, "&1 Holidays");
  AppendMenuA(list, MF_STRING, ID_FAVORITE_FIRST + 1, "&2 beach.jpg");
  Open(list);
  ASSERT_NE(manager_.FavoriteImages(), nullptr);
  for (int k = 0; k < 2; ++k) {
    MemoryCanvas canvas(kWidth, kHeight, Sys(COLOR_MENU));
    Draw(canvas, list, k, 0);
    MemoryCanvas reference(kWidth, kHeight, Sys(COLOR_MENU));
    Reference(reference, manager_.FavoriteImages(), k);
    EXPECT_EQ(Differences(canvas, reference, kImage), 0) << k;
    MemoryCanvas other(kWidth, kHeight, Sys(COLOR_MENU));
    Reference(other, manager_.FavoriteImages(), 1 - k);
    EXPECT_GT(Differences(canvas, other, kImage), 10) << k;
  }
  Close();
  DestroyMenu(list);
}

TEST_F(MenuDrawing, SeparatorIsAnEtchedLineAcrossTheMiddle) {
  Open(File());
  MemoryCanvas canvas(kWidth, 10, kUntouched);
  EXPECT_EQ(Draw(canvas, File(), 1, 0), TRUE);
  EXPECT_EQ(canvas.Pixel(50, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.Pixel(50, 6), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(50, 4), kUntouched);
  EXPECT_EQ(canvas.Pixel(50, 7), kUntouched);
  Close();
}

}  // namespace
