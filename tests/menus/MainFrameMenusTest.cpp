#include "app/Resource.h"
#include "menus/CoolMenuManager.h"
#include "tests/app/AppFixture.h"

namespace {

using MainFrameMenus = AppTest;

TEST_F(MainFrameMenus, TheProgramsFrameDrawsItsMenusWithTheToolbarImages) {
  ASSERT_TRUE(app_.InitInstance());
  CMainFrame* frame = Frame();
  CCoolMenuManager& manager = frame->MenuManager();
  EXPECT_EQ(CSubclassWnd::HookOf(frame->m_hWnd), &manager);
  EXPECT_EQ(manager.ImageOfCommand(ID_FILE_OPEN), 2);
  EXPECT_EQ(manager.ImageOfCommand(ID_AUTO_ADVANCE_STOP), 13);

  HMENU file = GetSubMenu(GetMenu(frame->m_hWnd), 0);
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoA(file, 0, TRUE, &info));
  EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
  const MenuItemRecord* open = manager.OwnedRecord(info.dwItemData);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->image, 2);
  EXPECT_EQ(open->text.substr(0, 9), "&Open...\t");
  frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(manager.RecordCount(), 0u);
}

}  // namespace
