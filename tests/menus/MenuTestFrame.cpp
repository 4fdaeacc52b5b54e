#include "tests/menus/MenuTestFrame.h"

#include <winternl.h>

#include "app/Resource.h"
#include "tests/support/MessagePump.h"

namespace {
constexpr char kProgramKey[] = "Software\\Local AppWizard-Generated Applications\\Lumavex";
}  // namespace

const MessageMap MenuTestFrame::kMessageMap{
    &CFrameWnd::kMessageMap,
    {
        OnCommand(ID_FILE_OPEN, &MenuTestFrame::OnEnabled),
        OnCommand(ID_FILE_SEND_MAIL, &MenuTestFrame::OnEnabled),
        OnCommand(ID_EDIT_SELECT_ALL, &MenuTestFrame::OnEnabled),
        OnCommand(ID_TOOLS_SLIDESHOW, &MenuTestFrame::OnEnabled),
        OnUpdateCommand(ID_TOOLS_SLIDESHOW, &MenuTestFrame::OnUpdateChecked),
        OnCommandRange(ID_SORT_NAME, ID_SORT_SIZE, &MenuTestFrame::OnSort),
        OnUpdateCommandRange(ID_SORT_NAME, ID_SORT_SIZE, &MenuTestFrame::OnUpdateSort),
        OnMessage(WM_MEASUREITEM, &MenuTestFrame::OnMeasureItem),
        OnMessage(WM_DRAWITEM, &MenuTestFrame::OnDrawItem),
        OnMessage(WM_MENUCHAR, &MenuTestFrame::OnMenuChar),
    },
};

ItemState ReadItem(HMENU menu, int position) {
  ItemState item;
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_STRING;
  if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return item;
  item.type = info.fType;
  item.state = info.fState;
  item.data = info.dwItemData;
  if (!(info.fType & (MFT_OWNERDRAW | MFT_SEPARATOR)) && info.cch) {
    std::string text(info.cch + 1, '\0');
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    text.resize(info.cch);
    item.text = text;
  }
  return item;
}

size_t LiveGdiObjects() {
  if (DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return reported;
  // Wine's table: 16384 entries of 24 bytes (object, owner, unique, type, flags, user pointer);
  // a free entry has type 0.
  constexpr size_t kEntries = 16384;
  constexpr size_t kEntryBytes = 24;
  constexpr size_t kTypeOffset = 14;
  using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return 0;
  const PEB* peb = basic.PebBaseAddress;
  const size_t tableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
  const auto* table = *reinterpret_cast<const unsigned char* const*>(reinterpret_cast<const char*>(peb) + tableOffset);
  if (!table) return 0;
  size_t live = 0;
  for (size_t i = 0; i < kEntries; ++i)
    if (table[i * kEntryBytes + kTypeOffset]) ++live;
  return live;
}

ScopedSysColors::ScopedSysColors(std::initializer_list<std::pair<int, COLORREF>> colours) {
  std::vector<COLORREF> wanted;
  for (const auto& [index, colour] : colours) {
    indexes_.push_back(index);
    saved_.push_back(GetSysColor(index));
    wanted.push_back(colour);
  }
  SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), wanted.data());
}

ScopedSysColors::~ScopedSysColors() { SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), saved_.data()); }

std::string KeyName(UINT vk) {
  char name[64] = "";
  int length = GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16), name, sizeof name);
  return std::string(name, static_cast<size_t>(length > 0 ? length : 0));
}

void MenuTest::SetUp() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
  app_.SetRegistryKey("Local AppWizard-Generated Applications");
  frame_ = new MenuTestFrame;
  ASSERT_TRUE(frame_->LoadFrame(IDR_MAINFRAME));
  manager_.Install(frame_);
  ASSERT_TRUE(manager_.AddToolbarImages(IDR_MAINFRAME));
}

void MenuTest::TearDown() {
  if (frame_ && IsWindow(frame_->m_hWnd)) frame_->DestroyWindow();
  PumpMessages();
  RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
}

int MenuTest::PositionOf(HMENU menu, UINT id) const {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i)
    if (GetMenuItemID(menu, i) == id) return i;
  return -1;
}

MemoryCanvas::MemoryCanvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<DWORD*>(bits);
  old_ = SelectObject(dc_, bitmap_);
  HBRUSH brush = CreateSolidBrush(fill);
  RECT all{0, 0, width, height};
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
  GdiFlush();
}

MemoryCanvas::~MemoryCanvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF MemoryCanvas::Pixel(int x, int y) const {
  GdiFlush();
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  DWORD p = bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int MemoryCanvas::Count(const RECT& area, COLORREF colour) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Pixel(x, y) == colour) ++count;
  return count;
}
