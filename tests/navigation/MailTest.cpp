#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "framework/ControlBars.h"
#include "navigation/MailSender.h"
#include "tests/app/AppFixture.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/navigation/WineDrives.h"
#include "tests/support/TempDir.h"
#include "viewer/ViewerList.h"

namespace {

constexpr char kClientName[] = "Lumavex Test Mail";
constexpr char kMailKey[] = "Software\\Clients\\Mail";

// The recording client, built beside the tests (a Linux path, seen by Wine on drive Z:).
std::string ClientPath() {
  std::string path = std::string("Z:") + LUMAVEX_MAIL_CLIENT;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Makes the recording client the default mail client. Written in this process's own registry view,
// the one MAPI32.DLL reads in the program (the 64-bit view on x86_64, the 32-bit one on i686). The
// library reads the setting when it loads, so this runs before the first mail command.
void RegisterTestClient() {
  HKEY mail = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMailKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &mail, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(mail, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kClientName), sizeof kClientName);
  HKEY client = nullptr;
  ASSERT_EQ(RegCreateKeyExA(mail, kClientName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &client, nullptr),
            ERROR_SUCCESS);
  const std::string dll = ClientPath();
  RegSetValueExA(client, "DLLPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                 static_cast<DWORD>(dll.size() + 1));
  RegCloseKey(client);
  RegCloseKey(mail);
}

// One MAPISendMail call as the client recorded it.
struct MailCall {
  std::map<std::string, std::string> fields;
  std::vector<std::map<std::string, std::string>> files;
  std::map<std::string, std::string> windows;  // handle -> "enabled" / "disabled"
  const std::string& operator[](const std::string& key) { return fields[key]; }
};

std::vector<MailCall> ParseLog(const std::string& text) {
  std::vector<MailCall> calls;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "call" && value == "begin") calls.emplace_back();
    if (calls.empty()) continue;
    MailCall& call = calls.back();
    if (key == "window") {
      size_t blank = value.find(' ');
      call.windows[value.substr(0, blank)] = value.substr(blank + 1);
    } else if (key.rfind("file.", 0) == 0) {
      if (key == "file.reserved") call.files.emplace_back();
      if (!call.files.empty()) call.files.back()[key.substr(5)] = value;
    } else {
      call.fields[key] = value;
    }
  }
  return calls;
}

std::string Hex(const void* handle) {
  char text[32];
  snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string LoadText(UINT id) {
  char text[256] = "";
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return text;
}

// The running program with a folder listed in its list view and the recording client registered.
class Mail : public AppTest {
 protected:
  static void SetUpTestSuite() { RegisterTestClient(); }
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(app_.InitInstance());
    list_ = Frame()->ListView();
    Command(ID_VIEW_DISPLAY_MODE);  // report mode: no thumbnails are made on the way
    logPath_ = logDir_ / "mail.log";
    SetEnvironmentVariableA("LUMAVEX_MAIL_LOG", logPath_.c_str());
    SetEnvironmentVariableA("LUMAVEX_MAIL_RESULT", nullptr);
    SetEnvironmentVariableA("LUMAVEX_MAIL_PUMP", nullptr);
  }
  void TearDown() override {
    for (CWnd* viewer : std::vector<CWnd*>(Viewers().windows.begin(), Viewers().windows.end()))
      viewer->SendMessage(WM_CLOSE);
    AppTest::TearDown();
  }
  void ListFiles(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) ASSERT_TRUE(WriteTestJpeg(PathIn(folder, name), 40, 30));
    list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    ASSERT_EQ(list_->ItemCount(), static_cast<int>(names.size()));
    Settle(folder, names.size());
  }
  // Lets the listing's worker write its thumbnails and its relisting arrive, so that it cannot
  // clear a selection later.
  void Settle(const std::string& folder, size_t thumbnails) {
    PumpUntil([&] { return FileNames(folder, "*.cpg").size() >= thumbnails; }, 10000);
    PumpMessages(300);
  }
  static std::string PathIn(const std::string& folder, const std::string& name) {
    return folder.size() == 3 ? folder + name : folder + "\\" + name;
  }
  // A click on item `index`, adding it to the selection with Ctrl held.
  void Click(int index, bool control) {
    RECT item{LVIR_LABEL, 0, 0, 0};
    list_->SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    WPARAM keys = MK_LBUTTON | (control ? MK_CONTROL : 0);
    list_->SendMessage(WM_LBUTTONDOWN, keys, at);
    list_->SendMessage(WM_LBUTTONUP, keys & ~static_cast<WPARAM>(MK_LBUTTON), at);
    PumpMessages();
  }
  void SelectAll() {
    Frame()->SetActiveView(list_);
    Command(ID_EDIT_SELECT_ALL);
  }
  void SetResult(unsigned long result) {
    SetEnvironmentVariableA("LUMAVEX_MAIL_RESULT", std::to_string(result).c_str());
  }
  std::vector<MailCall> Calls() const { return ParseLog(ReadTestFile(logPath_)); }
  std::vector<std::string> Paths(MailCall& call) const {
    std::vector<std::string> paths;
    for (auto& file : call.files) paths.push_back(file["path"]);
    return paths;
  }
  std::vector<std::string> Names(MailCall& call) const {
    std::vector<std::string> names;
    for (auto& file : call.files) names.push_back(file["name"]);
    return names;
  }
  bool FrameIsBack() const {
    HWND frame = app_.MainFrame()->m_hWnd;
    HWND focus = GetFocus();
    return IsWindowEnabled(frame) && GetCapture() == nullptr && focus && (focus == frame || IsChild(frame, focus));
  }

  CMyListView* list_ = nullptr;
  TempDir dir_;
  TempDir logDir_;
  std::string logPath_;
};

TEST_F(Mail, OneFileIsTheWholeMessage) {
  ListFiles(dir_.Path(), {"a.jpg", "b.jpg"});
  Click(1, false);
  Command(ID_FILE_SEND_MAIL);
  auto calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  MailCall& call = calls[0];
  EXPECT_EQ(call["session"], "0");
  EXPECT_EQ(call["owner"], Hex(Frame()->m_hWnd));
  EXPECT_EQ(call["flags"], "9");
  EXPECT_EQ(call["reserved"], "0");
  for (const char* empty : {"message.subject", "message.text", "message.type", "message.date", "message.conversation"})
    EXPECT_EQ(call[empty], "<null>") << empty;
  EXPECT_EQ(call["message.reserved"], "0");
  EXPECT_EQ(call["message.flags"], "0");
  EXPECT_EQ(call["message.originator"], "0");
  EXPECT_EQ(call["message.recipients"], "0");
  EXPECT_EQ(call["message.recipientArray"], "0");
  EXPECT_EQ(call["message.files"], "1");
  ASSERT_EQ(call.files.size(), 1u);
  auto& file = call.files[0];
  EXPECT_EQ(file["path"], Quoted(dir_ / "b.jpg"));
  EXPECT_EQ(file["name"], Quoted("b.jpg"));
  EXPECT_EQ(file["position"], "4294967295");
  EXPECT_EQ(file["reserved"], "0");
  EXPECT_EQ(file["flags"], "0");
  EXPECT_EQ(file["type"], "0");
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Mail, ANonContiguousSelectionGoesInAscendingItemOrder) {
  ListFiles(dir_.Path(), {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
  Click(3, false);
  Click(0, true);
  Click(2, true);
  ASSERT_EQ(list_->SelectedCount(), 3);
  Command(ID_FILE_SEND_MAIL);
  auto calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["message.files"], "3");
  EXPECT_EQ(Paths(calls[0]),
            (std::vector<std::string>{Quoted(dir_ / "a.jpg"), Quoted(dir_ / "c.jpg"), Quoted(dir_ / "d.jpg")}));
  EXPECT_EQ(Names(calls[0]), (std::vector<std::string>{"\"a.jpg\"", "\"c.jpg\"", "\"d.jpg\""}));
}

TEST_F(Mail, FilesInADriveRootAreJoinedWithoutADoubledBackslash) {
  ASSERT_TRUE(DefineDrive('Q', DRIVE_FIXED, dir_.Path()));
  ListFiles("Q:\\", {"one.jpg", "three.jpg", "two.jpg"});
  SelectAll();
  Command(ID_FILE_SEND_MAIL);
  auto calls = Calls();
  RemoveDrive('Q');
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(Paths(calls[0]), (std::vector<std::string>{"\"Q:\\one.jpg\"", "\"Q:\\three.jpg\"", "\"Q:\\two.jpg\""}));
}

TEST_F(Mail, DuringTheCallTheFrameAndTheViewersTakeNoInputAndAfterItTheFrameIsBack) {
  ListFiles(dir_.Path(), {"a.jpg", "b.jpg"});
  Click(0, false);
  Frame()->SetActiveView(list_);
  Command(ID_FILE_OPEN);
  ASSERT_EQ(Viewers().windows.size(), 1u);
  HWND viewer = Viewers().windows.front()->m_hWnd;
  ASSERT_TRUE(IsWindowVisible(viewer) && IsWindowEnabled(viewer));
  Command(ID_FILE_SEND_MAIL);
  auto calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["owner.enabled"], "0");
  EXPECT_EQ(calls[0]["owner.capture"], "1");
  EXPECT_EQ(calls[0]["focus"], "0");
  EXPECT_EQ(calls[0].windows[Hex(viewer)], "disabled");
  EXPECT_EQ(calls[0].windows[Hex(Frame()->m_hWnd)], "disabled");
  EXPECT_TRUE(FrameIsBack());
  EXPECT_TRUE(IsWindowEnabled(viewer));
}

TEST_F(Mail, CancelAndNoLogonShowNothingAndAFailureShowsTheSendMessage) {
  ListFiles(dir_.Path(), {"a.jpg"});
  Click(0, false);
  for (unsigned long handled : {0ul, 1ul, 3ul}) {
    SetResult(handled);
    Command(ID_FILE_SEND_MAIL);
    EXPECT_TRUE(boxes_.Boxes().empty()) << handled;
    EXPECT_TRUE(FrameIsBack()) << handled;
  }
  for (unsigned long failure : {2ul, 4ul, 11ul, 26ul}) {
    boxes_.Clear();
    SetResult(failure);
    Command(ID_FILE_SEND_MAIL);
    auto boxes = boxes_.Boxes();
    ASSERT_EQ(boxes.size(), 1u) << failure;
    EXPECT_EQ(boxes[0].text, "The message could not be sent.");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(FrameIsBack()) << failure;
  }
  EXPECT_EQ(Calls().size(), 7u);
}

TEST_F(Mail, APathTooLongForADescriptorIsNeverCutAndNothingIsSent) {
  // A folder and a name that each fit, but whose joined path is longer than a descriptor holds.
  const std::string folder = dir_ / std::string(200 - dir_.Path().size(), 'f');
  ASSERT_TRUE(MakeFolders(folder));
  const std::string longName = std::string(70, 'p') + ".jpg";
  ASSERT_GT(folder.size() + 1 + longName.size(), kMaxMailPath);
  ASSERT_TRUE(WriteTestJpeg(folder + "\\short.jpg", 40, 30));
  ASSERT_TRUE(WriteTestJpeg(folder + "\\x.jpg", 40, 30));
  std::wstring from = L"\\\\?\\" + std::wstring(folder.begin(), folder.end()) + L"\\x.jpg";
  std::wstring to =
      L"\\\\?\\" + std::wstring(folder.begin(), folder.end()) + L"\\" + std::wstring(longName.begin(), longName.end());
  ASSERT_TRUE(MoveFileW(from.c_str(), to.c_str()));
  list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  ASSERT_EQ(list_->ItemCount(), 2);
  Settle(folder, 1);
  SelectAll();
  Command(ID_FILE_SEND_MAIL);
  EXPECT_TRUE(Calls().empty());
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "The message could not be sent.");
  EXPECT_TRUE(IsWindowEnabled(Frame()->m_hWnd));
  DeleteFileW(to.c_str());
}

TEST_F(Mail, TheAttachmentsAreCopiesThatOutliveARelistingDuringTheCall) {
  // Names longer than a string keeps in place, so that each lives in a heap block of its own.
  const std::vector<std::string> sent{"first-picture-of-the-day.jpg", "second-picture-of-the-day.jpg",
                                      "third-picture-of-the-day.jpg"};
  ListFiles(dir_.Path(), sent);
  SelectAll();
  // The worker's relisting request is waiting when the mail program runs its dialog; by then the
  // folder holds other files.
  for (const std::string& name : sent) DeleteFileA((dir_ / name).c_str());
  for (const char* name : {"later-picture-number-one.jpg", "later-picture-number-two.jpg"})
    WriteTestJpeg(dir_ / name, 40, 30);
  list_->PostMessage(kWmListFolder);
  SetEnvironmentVariableA("LUMAVEX_MAIL_PUMP", "1");
  Command(ID_FILE_SEND_MAIL);
  // The relisting waits for the mail program's loop and runs once the call has returned.
  EXPECT_EQ(list_->ItemCount(), 3);
  PumpMessages();
  EXPECT_EQ(list_->ItemCount(), 2);
  auto calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["message.files"], "3");
  std::vector<std::string> paths, names;
  for (const std::string& name : sent) {
    paths.push_back(Quoted(dir_ / name));
    names.push_back(Quoted(name));
  }
  EXPECT_EQ(Paths(calls[0]), paths);
  EXPECT_EQ(Names(calls[0]), names);
}

TEST_F(Mail, TheCommandNeedsASelectionFromMenuToolbarAndContextMenu) {
  ListFiles(dir_.Path(), {"a.jpg"});
  CToolBar* bar = Frame()->GetToolBar();
  app_.OnIdle(0);
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_FILE_SEND_MAIL));
  EXPECT_EQ(bar->SendMessage(TB_ISBUTTONENABLED, ID_FILE_SEND_MAIL), 0);
  Command(ID_FILE_SEND_MAIL);  // a disabled command never runs
  EXPECT_TRUE(Calls().empty());
  EXPECT_TRUE(boxes_.Boxes().empty());

  Click(0, false);
  app_.OnIdle(0);
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_FILE_SEND_MAIL));
  EXPECT_NE(bar->SendMessage(TB_ISBUTTONENABLED, ID_FILE_SEND_MAIL), 0);
  // The toolbar button sends the command as a click does.
  Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_SEND_MAIL, BN_CLICKED), reinterpret_cast<LPARAM>(bar->m_hWnd));
  EXPECT_EQ(Calls().size(), 1u);

  char text[64] = "";
  GetMenuStringA(GetMenu(Frame()->m_hWnd), ID_FILE_SEND_MAIL, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Send &Email...");
  HMENU context = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXT_LIST));
  GetMenuStringA(context, ID_FILE_SEND_MAIL, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "&Email...");
  DestroyMenu(context);
  EXPECT_EQ(LoadText(ID_FILE_SEND_MAIL), "Send the selected files through electronic mail\nSend Mail");
}

TEST_F(Mail, NothingSelectedMeansNoCallEvenWhenAskedDirectly) {
  ListFiles(dir_.Path(), {"a.jpg", "b.jpg"});
  ASSERT_EQ(list_->SelectedCount(), 0);
  Frame()->SendSelectedFiles();  // past the update rule: a message without files is never sent
  EXPECT_EQ(SendMailAttachments(Frame()->m_hWnd, {}), MailOutcome::Handled);
  EXPECT_TRUE(Calls().empty());
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_TRUE(IsWindowEnabled(Frame()->m_hWnd));
}

TEST(MailRules, OnlySuccessCancelAndNoLogonCountAsHandled) {
  EXPECT_TRUE(MailResultHandled(0));
  EXPECT_TRUE(MailResultHandled(1));
  EXPECT_TRUE(MailResultHandled(3));
  for (unsigned long failure : {2ul, 4ul, 5ul, 26ul, 0xFFFFFFFFul}) EXPECT_FALSE(MailResultHandled(failure)) << failure;
}

TEST(MailRules, APathFitsADescriptorUpToTwoHundredFiftyNineCharacters) {
  EXPECT_TRUE(AttachmentsFit({{std::string(259, 'a'), "a"}}));
  EXPECT_FALSE(AttachmentsFit({{"C:\\a.jpg", "a.jpg"}, {std::string(260, 'a'), "a"}}));
  EXPECT_FALSE(AttachmentsFit({{"", "a.jpg"}}));
  EXPECT_TRUE(AttachmentsFit({}));
}

// Runs only with mapi32 disabled for the process (WINEDLLOVERRIDES, set by its CTest entry).
using MailLibraryMissing = Mail;
TEST_F(MailLibraryMissing, EverySendShowsTheLoadMessage) {
  ListFiles(dir_.Path(), {"a.jpg"});
  Click(0, false);
  for (int attempt = 0; attempt < 2; ++attempt) {
    boxes_.Clear();
    Command(ID_FILE_SEND_MAIL);
    auto boxes = boxes_.Boxes();
    ASSERT_EQ(boxes.size(), 1u) << attempt;
    EXPECT_EQ(boxes[0].text, "The mail system could not be loaded.");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(IsWindowEnabled(Frame()->m_hWnd));
    EXPECT_EQ(GetCapture(), nullptr);
  }
  EXPECT_EQ(GetModuleHandleA("mapi32.dll"), nullptr);
  EXPECT_TRUE(Calls().empty());
}

// Runs only beside a mapi32.dll without MAPISendMail that Wine is told to prefer.
using MailLibraryInvalid = Mail;
TEST_F(MailLibraryInvalid, ALibraryWithoutTheEntryShowsTheInvalidMessage) {
  ListFiles(dir_.Path(), {"a.jpg"});
  Click(0, false);
  for (int attempt = 0; attempt < 2; ++attempt) {
    boxes_.Clear();
    Command(ID_FILE_SEND_MAIL);
    auto boxes = boxes_.Boxes();
    ASSERT_EQ(boxes.size(), 1u) << attempt;
    EXPECT_EQ(boxes[0].text, "The mail system's library is not valid.");
    EXPECT_TRUE(IsWindowEnabled(Frame()->m_hWnd));
  }
  HMODULE library = GetModuleHandleA("mapi32.dll");
  ASSERT_NE(library, nullptr);  // stays loaded
  EXPECT_NE(GetProcAddress(library, "MAPILogon"), nullptr);
  EXPECT_TRUE(Calls().empty());
}

}  // namespace
