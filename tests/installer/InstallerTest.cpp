// The setup program and the uninstaller, run for real in a Wine prefix of their own
// (run-in-fresh-prefix.sh): the files, the Start-menu shortcut, the uninstall entry, the installed
// program, an upgrade and the removal, with the user's Favorites and thumbnail folders.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Version.h"
#include "browser/ProgramFolders.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/support/TempDir.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumavex";
constexpr char kProgramKey[] = "Software\\Local AppWizard-Generated Applications\\Lumavex";
constexpr WPARAM kAddToFavorites = 32776;

// A Linux path of the build, as Wine sees it on drive Z:.
std::string WindowsPath(const char* linuxPath) {
  std::string path = std::string("Z:") + linuxPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

std::string DefaultInstallFolder() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Lumavex"; }
std::string StartMenuShortcut() { return ShellFolder(CSIDL_PROGRAMS) + "\\Lumavex.lnk"; }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool KeyExists(const char* key) {
  HKEY opened;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

// A string value under HKEY_CURRENT_USER; "<missing>" when there is none.
std::string RegString(const char* key, const char* name) {
  char value[1024];
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return "<missing>";
  return value;
}

DWORD RegDword(const char* key, const char* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return 0xFFFFFFFF;
  return value;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

// Waits for the processes that `parent` started; false when one is still running at the end.
bool WaitForChildren(DWORD parent, DWORD timeoutMs) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  bool ended = true;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID != parent || entry.th32ProcessID == parent) continue;
    HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (!child) continue;
    ended = WaitForSingleObject(child, timeoutMs) == WAIT_OBJECT_0 && ended;
    CloseHandle(child);
  }
  CloseHandle(snapshot);
  return ended;
}

// Runs a command line to its end and that of the processes it started (the uninstaller runs a
// copy of itself from the temporary folder and returns at once). The exit code, or ~0u when it
// could not start or did not end.
DWORD Run(std::string commandLine, DWORD timeoutMs = 120000) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return ~0u;
  DWORD code = ~0u;
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &code);
  else
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!WaitForChildren(process.dwProcessId, timeoutMs)) return ~0u;
  return code;
}

DWORD Install(const char* setup, const std::string& options = "") {
  return Run("\"" + WindowsPath(setup) + "\" /S" + options);
}

// Runs the uninstaller the way the system's list of programs does, silently, to its end.
bool UninstallQuietly(const std::string& extraOptions = "") {
  const std::string command = RegString(kUninstallKey, "QuietUninstallString");
  return command != "<missing>" && Run(command + extraOptions) == 0;
}

// Where a shell shortcut points, read through the shell's own link object.
struct ShortcutTarget {
  bool loaded = false;
  std::string path;
  std::string workingFolder;
};

ShortcutTarget ResolveShortcut(const std::string& file) {
  ShortcutTarget target;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return target;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
      target.loaded = true;
      char text[MAX_PATH] = "";
      WIN32_FIND_DATAA found;
      if (link->GetPath(text, MAX_PATH, &found, 0) == S_OK) target.path = text;
      text[0] = '\0';
      link->GetWorkingDirectory(text, MAX_PATH);
      target.workingFolder = text;
    }
    persist->Release();
  }
  link->Release();
  return target;
}

bool CreateShortcut(const std::string& file, const std::string& target) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return false;
  bool saved = false;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->SetPath(target.c_str())) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    saved = SUCCEEDED(persist->Save(wide, TRUE));
    persist->Release();
  }
  link->Release();
  return saved;
}

// The program's version resource: the fixed numbers and the English strings.
struct VersionInfo {
  DWORD fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
  std::string fileVersion, productVersion, description, productName;
};

VersionInfo ReadVersion(const std::string& file) {
  VersionInfo info;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return info;
  std::string block(size, '\0');
  if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return info;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    info.fileMS = fixed->dwFileVersionMS;
    info.fileLS = fixed->dwFileVersionLS;
    info.productMS = fixed->dwProductVersionMS;
    info.productLS = fixed->dwProductVersionLS;
  }
  // The strings of the first language and code page the resource lists.
  WORD* translation = nullptr;
  char table[16] = "040904b0";
  if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) &&
      translation && length >= 2 * sizeof(WORD))
    wsprintfA(table, "%04x%04x", translation[0], translation[1]);
  auto text = [&](const char* name) {
    char* value = nullptr;
    UINT chars = 0;
    std::string query = std::string("\\StringFileInfo\\") + table + "\\" + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) || !value)
      return std::string();
    return std::string(value);
  };
  info.fileVersion = text("FileVersion");
  info.productVersion = text("ProductVersion");
  info.description = text("FileDescription");
  info.productName = text("ProductName");
  return info;
}

struct FoundWindow {
  DWORD process;
  HWND window;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lParam) {
  auto* found = reinterpret_cast<FoundWindow*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != found->process || GetWindow(hwnd, GW_OWNER) || !IsWindowVisible(hwnd)) return TRUE;
  found->window = hwnd;
  return FALSE;
}

BOOL CALLBACK FindListView(HWND hwnd, LPARAM lParam) {
  char name[64];
  GetClassNameA(hwnd, name, sizeof name);
  if (lstrcmpiA(name, WC_LISTVIEWA) != 0) return TRUE;
  *reinterpret_cast<HWND*>(lParam) = hwnd;
  return FALSE;
}

// The installed program, started as its own process; ended at the latest when this goes.
class RunningProgram {
 public:
  RunningProgram(const std::string& path, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + path + "\"";
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process_))
      return;
    FoundWindow found{process_.dwProcessId, nullptr};
    WaitUntil(
        [&] {
          EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
          return found.window != nullptr;
        },
        30000);
    window_ = found.window;
  }
  ~RunningProgram() { Close(); }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  HWND Window() const { return window_; }
  // Closes the main window and waits for the process; its exit code, or 0xDEAD.
  DWORD Close() {
    if (!process_.hProcess) return 0xDEAD;
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    DWORD code = 0xDEAD;
    if (WaitForSingleObject(process_.hProcess, 30000) == WAIT_OBJECT_0)
      GetExitCodeProcess(process_.hProcess, &code);
    else
      TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
    window_ = nullptr;
    return code;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The fixture starts every test from a prefix with no Lumavex in it and leaves none behind.
class Installer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    Clear();
  }
  void TearDown() override {
    Clear();
    CoUninitialize();
  }
  static void Clear() {
    RemoveTree(DefaultInstallFolder());
    RemoveTree(kOtherFolder);
    DeleteFileA(StartMenuShortcut().c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
  }
  // What a user of the program leaves in its folder: a favourite and a CD-ROM's thumbnails.
  static void AddUserData(const std::string& folder) {
    ASSERT_TRUE(MakeFolders(folder + "\\Favorites"));
    ASSERT_TRUE(CreateShortcut(folder + "\\Favorites\\Holiday.LNK", "C:\\windows"));
    ASSERT_TRUE(WriteTestFile(folder + "\\DRVE_E\\Photos\\2001\\beach.cpg", "thumbnail bytes"));
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kProgramKey) + "\\Favorites").c_str(), &key),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Favorite1", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\windows"), 11);
    RegCloseKey(key);
  }
  static void ExpectUserDataKept(const std::string& folder) {
    EXPECT_EQ(ResolveShortcut(folder + "\\Favorites\\Holiday.LNK").path, "C:\\windows");
    EXPECT_EQ(ReadTestFile(folder + "\\DRVE_E\\Photos\\2001\\beach.cpg"), "thumbnail bytes");
    EXPECT_EQ(RegString((std::string(kProgramKey) + "\\Favorites").c_str(), "Favorite1"), "C:\\windows");
  }

  static constexpr char kOtherFolder[] = "C:\\Tools\\Photo Browser";
};

TEST_F(Installer, ProgramAndSetupCarryTheVersionOfTheSourceTree) {
  const VersionInfo program = ReadVersion(WindowsPath(LUMAVEX_PROGRAM));
  EXPECT_EQ(program.fileMS, static_cast<DWORD>(MAKELONG(LUMAVEX_VERSION_MINOR, LUMAVEX_VERSION_MAJOR)));
  EXPECT_EQ(program.fileLS, static_cast<DWORD>(MAKELONG(0, LUMAVEX_VERSION_PATCH)));
  EXPECT_EQ(program.productMS, program.fileMS);
  EXPECT_EQ(program.productLS, program.fileLS);
  EXPECT_EQ(program.fileVersion, LUMAVEX_VERSION_STRING);
  EXPECT_EQ(program.productVersion, LUMAVEX_VERSION_STRING);
  EXPECT_EQ(program.description, "Lumavex photo browser");
  EXPECT_EQ(program.productName, "Lumavex");

  const std::string setup = WindowsPath(LUMAVEX_SETUP);
  EXPECT_NE(setup.find("Lumavex-" LUMAVEX_VERSION_STRING "-setup.exe"), std::string::npos);
  const VersionInfo setupVersion = ReadVersion(setup);
  EXPECT_EQ(setupVersion.productVersion, LUMAVEX_VERSION_STRING);
  EXPECT_EQ(setupVersion.productName, "Lumavex");
  EXPECT_EQ(setupVersion.fileMS, program.fileMS);
  EXPECT_EQ(setupVersion.fileLS, program.fileLS);
}

TEST_F(Installer, SilentInstallPutsProgramShortcutAndUninstallEntryInPlace) {
  ASSERT_EQ(Install(LUMAVEX_SETUP), 0u);
  const std::string folder = DefaultInstallFolder();
  const std::string program = folder + "\\Lumavex.exe";
  EXPECT_EQ(FileSize(program), FileSize(WindowsPath(LUMAVEX_PROGRAM)));
  EXPECT_GT(FileSize(program), 0u);
  EXPECT_TRUE(Exists(folder + "\\uninstall.exe"));
  EXPECT_NE(ReadTestFile(folder + "\\README.txt").find("Lumavex " LUMAVEX_VERSION_STRING "\r\n"), std::string::npos);

  const ShortcutTarget shortcut = ResolveShortcut(StartMenuShortcut());
  ASSERT_TRUE(shortcut.loaded) << StartMenuShortcut();
  EXPECT_EQ(shortcut.path, program);
  EXPECT_EQ(shortcut.workingFolder, folder);

  EXPECT_EQ(RegString(kUninstallKey, "DisplayName"), "Lumavex");
  EXPECT_EQ(RegString(kUninstallKey, "DisplayVersion"), LUMAVEX_VERSION_STRING);
  EXPECT_EQ(RegString(kUninstallKey, "DisplayIcon"), program + ",0");
  EXPECT_EQ(RegString(kUninstallKey, "InstallLocation"), folder);
  EXPECT_EQ(RegString(kUninstallKey, "UninstallString"), "\"" + folder + "\\uninstall.exe\"");
  EXPECT_EQ(RegString(kUninstallKey, "QuietUninstallString"), "\"" + folder + "\\uninstall.exe\" /S");
  // In KB: the program, the read-me and the uninstaller, nothing of the user's.
  const DWORD installedKb = static_cast<DWORD>(
      (FileSize(program) + FileSize(folder + "\\uninstall.exe") + FileSize(folder + "\\README.txt")) / 1024);
  EXPECT_GE(RegDword(kUninstallKey, "EstimatedSize"), installedKb);
  EXPECT_LE(RegDword(kUninstallKey, "EstimatedSize"), installedKb + 4);
}

TEST_F(Installer, InstalledProgramStartsFromItsShortcutAndListsItsFolder) {
  ASSERT_EQ(Install(LUMAVEX_SETUP), 0u);
  const std::string folder = DefaultInstallFolder();
  ASSERT_TRUE(WriteTestJpeg(folder + "\\harbour.jpg", 64, 48));
  ASSERT_TRUE(WriteTestJpeg(folder + "\\lighthouse.jpg", 48, 64));

  const ShortcutTarget shortcut = ResolveShortcut(StartMenuShortcut());
  ASSERT_FALSE(shortcut.path.empty());
  RunningProgram program(shortcut.path, shortcut.workingFolder);
  ASSERT_NE(program.Window(), nullptr) << "no main window";
  HWND list = nullptr;
  EnumChildWindows(program.Window(), FindListView, reinterpret_cast<LPARAM>(&list));
  ASSERT_NE(list, nullptr) << "no list view";
  // With no recent folder the program lists its own folder: the two photographs, then their
  // thumbnail files beside them.
  EXPECT_TRUE(WaitUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, 30000))
      << SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) << " items";
  EXPECT_TRUE(
      WaitUntil([&] { return Exists(folder + "\\harbour.cpg") && Exists(folder + "\\lighthouse.cpg"); }, 30000));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Installer, UpgradeAndUninstallLeaveARunningProgramAlone) {
  ASSERT_EQ(Install(LUMAVEX_SETUP), 0u);
  const std::string folder = DefaultInstallFolder();
  const uint64_t size = FileSize(folder + "\\Lumavex.exe");
  RunningProgram program(folder + "\\Lumavex.exe", folder);
  ASSERT_NE(program.Window(), nullptr);

  // A silent setup gives up rather than record a version it could not install.
  EXPECT_EQ(Install(LUMAVEX_NEXT_SETUP), 2u);
  EXPECT_EQ(RegString(kUninstallKey, "DisplayVersion"), LUMAVEX_VERSION_STRING);
  // A silent removal gives up rather than drop the entry of a program it could not remove.
  EXPECT_TRUE(UninstallQuietly());
  EXPECT_EQ(RegString(kUninstallKey, "DisplayName"), "Lumavex");
  EXPECT_TRUE(Exists(StartMenuShortcut()));
  EXPECT_EQ(FileSize(folder + "\\Lumavex.exe"), size);
  EXPECT_TRUE(IsWindow(program.Window()));

  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(Install(LUMAVEX_NEXT_SETUP), 0u);
  EXPECT_EQ(RegString(kUninstallKey, "DisplayVersion"), LUMAVEX_NEXT_VERSION);
}

TEST_F(Installer, UpgradeKeepsFavoritesAndThumbnailFolders) {
  ASSERT_EQ(Install(LUMAVEX_SETUP), 0u);
  const std::string folder = DefaultInstallFolder();
  AddUserData(folder);

  ASSERT_EQ(Install(LUMAVEX_NEXT_SETUP), 0u);
  EXPECT_EQ(RegString(kUninstallKey, "DisplayVersion"), LUMAVEX_NEXT_VERSION);
  EXPECT_EQ(ResolveShortcut(StartMenuShortcut()).path, folder + "\\Lumavex.exe");
  EXPECT_TRUE(Exists(folder + "\\Lumavex.exe"));
  ExpectUserDataKept(folder);
}

TEST_F(Installer, UpgradeGoesWhereTheEarlierVersionWasInstalled) {
  ASSERT_EQ(Install(LUMAVEX_SETUP, std::string(" /D=") + kOtherFolder), 0u);
  ASSERT_TRUE(Exists(std::string(kOtherFolder) + "\\Lumavex.exe"));
  AddUserData(kOtherFolder);

  ASSERT_EQ(Install(LUMAVEX_NEXT_SETUP), 0u);
  EXPECT_FALSE(Exists(DefaultInstallFolder()));
  EXPECT_EQ(RegString(kUninstallKey, "InstallLocation"), kOtherFolder);
  EXPECT_EQ(ResolveShortcut(StartMenuShortcut()).path, std::string(kOtherFolder) + "\\Lumavex.exe");
  ExpectUserDataKept(kOtherFolder);
}

TEST_F(Installer, SilentUninstallRemovesProgramShortcutAndEntryAndKeepsTheUsersData) {
  ASSERT_EQ(Install(LUMAVEX_SETUP), 0u);
  const std::string folder = DefaultInstallFolder();
  AddUserData(folder);

  ASSERT_TRUE(UninstallQuietly());
  for (const char* file : {"Lumavex.exe", "uninstall.exe", "README.txt"})
    EXPECT_FALSE(Exists(folder + "\\" + file)) << file;
  EXPECT_FALSE(Exists(StartMenuShortcut()));
  EXPECT_FALSE(KeyExists(kUninstallKey));
  ExpectUserDataKept(folder);
}

TEST_F(Installer, UninstallOfAnUnusedInstallationLeavesNoFolder) {
  ASSERT_EQ(Install(LUMAVEX_SETUP), 0u);
  ASSERT_TRUE(UninstallQuietly());
  EXPECT_FALSE(Exists(DefaultInstallFolder()));
  EXPECT_FALSE(KeyExists(kUninstallKey));
}

TEST_F(Installer, RemovingTheUsersDataOnRequestNeverTouchesPhotosOrTheirThumbnails) {
  ASSERT_EQ(Install(LUMAVEX_SETUP), 0u);
  const std::string folder = DefaultInstallFolder();
  AddUserData(folder);
  ASSERT_TRUE(WriteTestFile(folder + "\\DRVE_S\\scan.cpg", "removable drive thumbnail"));
  // Photographs kept in the program's folder, their thumbnail files, and a file that only looks
  // like a thumbnail folder.
  ASSERT_TRUE(WriteTestFile(folder + "\\harbour.jpg", "photo"));
  ASSERT_TRUE(WriteTestFile(folder + "\\harbour.cpg", "its thumbnail"));
  ASSERT_TRUE(WriteTestFile(folder + "\\DRVE_notes.txt", "notes"));

  // Marked as the program marks the folders it makes; a thumbnail-like folder it did not make.
  for (const char* made : {"Favorites", "DRVE_E", "DRVE_S"})
    ASSERT_TRUE(WriteTestFile(folder + "\\" + made + "\\" + kProgramFolderMarker, "made by the program"));
  ASSERT_TRUE(WriteTestFile(folder + "\\DRVE_U\\mine.cpg", "the user's own"));

  ASSERT_TRUE(UninstallQuietly(" /REMOVEDATA"));
  EXPECT_FALSE(Exists(folder + "\\Lumavex.exe"));
  EXPECT_FALSE(Exists(folder + "\\Favorites"));
  EXPECT_FALSE(Exists(folder + "\\DRVE_E"));
  EXPECT_FALSE(Exists(folder + "\\DRVE_S"));
  EXPECT_EQ(ReadTestFile(folder + "\\DRVE_U\\mine.cpg"), "the user's own");
  EXPECT_FALSE(KeyExists(kProgramKey));
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_EQ(ReadTestFile(folder + "\\harbour.jpg"), "photo");
  EXPECT_EQ(ReadTestFile(folder + "\\harbour.cpg"), "its thumbnail");
  EXPECT_EQ(ReadTestFile(folder + "\\DRVE_notes.txt"), "notes");
  EXPECT_TRUE(IsFolder(folder));
}

TEST_F(Installer, SetupIntoTheUsersFolderUsesAFolderOfItsOwnAndRemovalKeepsEveryFileOfTheUsers) {
  const std::string users = kOtherFolder;
  const std::pair<std::string, std::string> files[] = {{"README.txt", "the user's read-me"},
                                                       {"harbour.jpg", "photo"},
                                                       {"Favorites\\Holiday.LNK", "the user's own favourite"},
                                                       {"DRVE_E\\beach.cpg", "the user's thumbnail"}};
  for (const auto& [name, content] : files) ASSERT_TRUE(WriteTestFile(users + "\\" + name, content));

  ASSERT_EQ(Install(LUMAVEX_SETUP, " /D=" + users), 0u);
  const std::string folder = users + "\\Lumavex";
  EXPECT_EQ(RegString(kUninstallKey, "InstallLocation"), folder);
  EXPECT_TRUE(Exists(folder + "\\Lumavex.exe"));
  {
    // The program makes its own Favorites folder: the tree's folder becomes a favourite.
    RunningProgram program(folder + "\\Lumavex.exe", folder);
    ASSERT_NE(program.Window(), nullptr);
    PostMessageA(program.Window(), WM_COMMAND, kAddToFavorites, 0);
    EXPECT_TRUE(WaitUntil([&] { return Exists(folder + "\\Favorites\\Lumavex.LNK"); }, 30000));
    EXPECT_EQ(program.Close(), 0u);
  }

  ASSERT_TRUE(UninstallQuietly(" /REMOVEDATA"));
  EXPECT_FALSE(Exists(folder));
  for (const auto& [name, content] : files) EXPECT_EQ(ReadTestFile(users + "\\" + name), content) << name;
}

}  // namespace
