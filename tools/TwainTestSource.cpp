// A TWAIN data source for tests: delivers solid-colour images by file transfer as a script file
// tells it, and appends every call it receives to a log file.
//
// LUMAVEX_TWAIN_SCRIPT names the script (read when the source is opened and when it is enabled),
// LUMAVEX_TWAIN_LOG the log. Script lines, "key value":
//   images N           images pending after enabling (default 1)
//   colors RRGGBB,...  colour of image 1, 2, ... (the last one repeats; default 808080)
//   size W H           picture size (default 8 x 6)
//   open fail | enable fail | setup fail     refuse that call
//   xfer cancel | xfer fail                  answer the image transfer so
//   bmp damaged        write a file that is no BMP
//   close 1            ask to be closed after the last image (or at once with images 0)
//   extraready 1       announce one more image while the first transfer runs
//   postclose 1        post WM_CLOSE to the parent window while the first transfer runs
//   postquit 1         post WM_QUIT to the thread while the first transfer runs
//   post H M W L       post message M (wParam W, lParam L) to window H while the first transfer
//                      runs; all four in hex
// Log lines: "<DG> <DAT> <MSG> rc=<n>" in hex, with extra words for some calls.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scan/TwainProtocol.h"

namespace {

struct Script {
  int images = 1;
  std::vector<unsigned> colors{0x808080};
  int width = 8;
  int height = 6;
  bool failOpen = false;
  bool failEnable = false;
  bool failSetup = false;
  std::string xfer;
  bool damagedBmp = false;
  bool closeAfter = false;
  bool extraReady = false;
  bool postClose = false;
  bool postQuit = false;
  HWND postWindow = nullptr;
  UINT postMessage = 0;
  WPARAM postWParam = 0;
  LPARAM postLParam = 0;
};

struct Source {
  Script script;
  TW_IDENTITY app{};
  TW_IDENTITY self{};
  TW_SETUPFILEXFER setup{};
  int pending = 0;
  int delivered = 0;
  bool enabled = false;
  TW_UINT16 condition = TWCC_SUCCESS;
  HWND ui = nullptr;
  HWND parent = nullptr;
};

Source& State() {
  static auto& source = *new Source;
  return source;
}

std::string Env(const char* name) {
  char value[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? value : "";
}

void Log(const char* format, ...) {
  std::string path = Env("LUMAVEX_TWAIN_LOG");
  if (path.empty()) return;
  FILE* file = std::fopen(path.c_str(), "a");
  if (!file) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(file, format, args);
  va_end(args);
  std::fputc('\n', file);
  std::fclose(file);
}

Script ReadScript() {
  Script script;
  std::string path = Env("LUMAVEX_TWAIN_SCRIPT");
  FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "r");
  if (!file) return script;
  char line[512];
  while (std::fgets(line, sizeof line, file)) {
    char key[64] = "";
    char value[400] = "";
    if (std::sscanf(line, "%63s %399s", key, value) < 1) continue;
    std::string k = key;
    std::string v = value;
    if (k == "images") script.images = std::atoi(value);
    if (k == "size") std::sscanf(line, "%*s %d %d", &script.width, &script.height);
    if (k == "open") script.failOpen = v == "fail";
    if (k == "enable") script.failEnable = v == "fail";
    if (k == "setup") script.failSetup = v == "fail";
    if (k == "xfer") script.xfer = v;
    if (k == "bmp") script.damagedBmp = v == "damaged";
    if (k == "close") script.closeAfter = v == "1";
    if (k == "extraready") script.extraReady = v == "1";
    if (k == "postclose") script.postClose = v == "1";
    if (k == "postquit") script.postQuit = v == "1";
    if (k == "post") {
      unsigned long long window = 0, wParam = 0, lParam = 0;
      unsigned message = 0;
      if (std::sscanf(line, "%*s %llx %x %llx %llx", &window, &message, &wParam, &lParam) == 4) {
        script.postWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(window));
        script.postMessage = message;
        script.postWParam = static_cast<WPARAM>(wParam);
        script.postLParam = static_cast<LPARAM>(static_cast<LONG_PTR>(lParam));
      }
    }
    if (k == "colors") {
      script.colors.clear();
      for (char* part = std::strtok(value, ","); part; part = std::strtok(nullptr, ","))
        script.colors.push_back(static_cast<unsigned>(std::strtoul(part, nullptr, 16)));
      if (script.colors.empty()) script.colors.push_back(0x808080);
    }
  }
  std::fclose(file);
  return script;
}

// Tells the application of an event through the source manager, as sources of protocol 2 do.
void Notify(TW_UINT16 message) {
  HMODULE manager = GetModuleHandleA("twain_32.dll");
  auto entry = manager ? reinterpret_cast<DSMENTRYPROC>(GetProcAddress(manager, "DSM_Entry")) : nullptr;
  TW_UINT16 rc = entry ? entry(&State().self, &State().app, DG_CONTROL, DAT_NULL, message, nullptr) : TWRC_FAILURE;
  Log("notify %04x rc=%x", message, rc);
}

bool WriteSolidBmp(const char* path, int width, int height, unsigned rgb) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  if (State().script.damagedBmp) {
    std::fputs("this is not a bitmap", file);
    return std::fclose(file) == 0;
  }
  const uint32_t rowBytes = static_cast<uint32_t>((width * 3 + 3) & ~3);
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  fh.bfSize = fh.bfOffBits + imageBytes;
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = width;
  ih.biHeight = height;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biSizeImage = imageBytes;
  std::vector<unsigned char> row(rowBytes, 0);
  for (int x = 0; x < width; ++x) {
    row[static_cast<size_t>(x) * 3] = static_cast<unsigned char>(rgb);
    row[static_cast<size_t>(x) * 3 + 1] = static_cast<unsigned char>(rgb >> 8);
    row[static_cast<size_t>(x) * 3 + 2] = static_cast<unsigned char>(rgb >> 16);
  }
  std::fwrite(&fh, sizeof fh, 1, file);
  std::fwrite(&ih, sizeof ih, 1, file);
  for (int y = 0; y < height; ++y) std::fwrite(row.data(), 1, row.size(), file);
  return std::fclose(file) == 0;
}

LRESULT CALLBACK UiProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void ShowUi(HWND parent) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = UiProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = "LumavexTestSourceUi";
  RegisterClassA(&cls);
  State().ui = CreateWindowExA(0, cls.lpszClassName, "Test Source", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40,
                               240, 120, parent, nullptr, cls.hInstance, nullptr);
}

void HideUi() {
  if (State().ui) DestroyWindow(State().ui);
  State().ui = nullptr;
}

unsigned ColorOf(int index) {
  const auto& colors = State().script.colors;
  return colors[static_cast<size_t>(index) < colors.size() ? static_cast<size_t>(index) : colors.size() - 1];
}

TW_UINT16 Fail(TW_UINT16 condition) {
  State().condition = condition;
  return TWRC_FAILURE;
}

TW_UINT16 Identity(TW_UINT16 msg, TW_MEMREF data) {
  Source& s = State();
  switch (msg) {
    case MSG_GET: {
      auto* id = static_cast<TW_IDENTITY*>(data);
      TW_UINT32 keep = id->Id;
      *id = TW_IDENTITY{};
      id->Id = keep;
      id->Version.MajorNum = 1;
      id->Version.Language = TWLG_USA;
      id->Version.Country = TWCY_USA;
      std::strcpy(id->Version.Info, "1.0");
      id->ProtocolMajor = 1;
      id->ProtocolMinor = 8;
      id->SupportedGroups = DG_CONTROL | DG_IMAGE;
      std::strcpy(id->Manufacturer, "Lumavex Tests");
      std::strcpy(id->ProductFamily, "Test Sources");
      std::strcpy(id->ProductName, "Lumavex Test Source");
      return TWRC_SUCCESS;
    }
    case MSG_OPENDS:
      s.script = ReadScript();
      if (s.script.failOpen) return Fail(TWCC_BUMMER);
      s.self = *static_cast<TW_IDENTITY*>(data);
      return TWRC_SUCCESS;
    case MSG_CLOSEDS:
      HideUi();
      s.enabled = false;
      return TWRC_SUCCESS;
    default: return Fail(TWCC_BADPROTOCOL);
  }
}

TW_UINT16 UserInterface(TW_UINT16 msg, TW_MEMREF data) {
  Source& s = State();
  auto* ui = static_cast<TW_USERINTERFACE*>(data);
  if (msg == MSG_ENABLEDS) {
    Log("enable showui=%u", ui->ShowUI);
    s.script = ReadScript();
    if (s.script.failEnable) return Fail(TWCC_BUMMER);
    s.enabled = true;
    s.pending = s.script.images;
    s.delivered = 0;
    s.parent = static_cast<HWND>(ui->hParent);
    if (ui->ShowUI) ShowUi(static_cast<HWND>(ui->hParent));
    if (s.pending > 0)
      Notify(MSG_XFERREADY);
    else if (s.script.closeAfter)
      Notify(MSG_CLOSEDSREQ);
    return TWRC_SUCCESS;
  }
  if (msg == MSG_DISABLEDS) {
    HideUi();
    s.enabled = false;
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 PendingTransfers(TW_UINT16 msg, TW_MEMREF data) {
  Source& s = State();
  auto* pending = static_cast<TW_PENDINGXFERS*>(data);
  if (msg == MSG_ENDXFER) {
    if (s.pending > 0) --s.pending;
  } else if (msg == MSG_RESET) {
    s.pending = 0;
  } else if (msg != MSG_GET) {
    return Fail(TWCC_BADPROTOCOL);
  }
  if (pending) {
    pending->Count = static_cast<TW_UINT16>(s.pending);
    pending->EOJ = 0;
  }
  Log("pending %d", s.pending);
  if (msg != MSG_GET && s.pending == 0 && s.script.closeAfter) Notify(MSG_CLOSEDSREQ);
  return TWRC_SUCCESS;
}

TW_UINT16 SetupFileTransfer(TW_UINT16 msg, TW_MEMREF data) {
  Source& s = State();
  auto* setup = static_cast<TW_SETUPFILEXFER*>(data);
  if (msg == MSG_GET || msg == MSG_GETDEFAULT) {
    if (!s.setup.FileName[0]) std::strcpy(s.setup.FileName, "TWAIN.TMP");
    *setup = s.setup;
    return TWRC_SUCCESS;
  }
  if (msg == MSG_SET) {
    Log("setup file=%.255s format=%u", setup->FileName, setup->Format);
    if (s.script.failSetup) return Fail(TWCC_BADVALUE);
    s.setup = *setup;
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 ImageFileTransfer() {
  Source& s = State();
  if (s.pending <= 0) return Fail(TWCC_SEQERROR);
  if (s.script.xfer == "cancel") return TWRC_CANCEL;
  if (s.script.xfer == "fail") return Fail(TWCC_OPERATIONERROR);
  bool first = s.delivered == 0;
  if (first && s.script.extraReady) {
    ++s.pending;
    Notify(MSG_XFERREADY);
  }
  if (first && s.script.postClose) PostMessageA(s.parent, WM_CLOSE, 0, 0);
  if (first && s.script.postQuit) PostQuitMessage(7);
  if (first && s.script.postWindow)
    PostMessageA(s.script.postWindow, s.script.postMessage, s.script.postWParam, s.script.postLParam);
  bool written = WriteSolidBmp(s.setup.FileName, s.script.width, s.script.height, ColorOf(s.delivered));
  if (!written) return Fail(TWCC_OPERATIONERROR);
  ++s.delivered;
  return TWRC_XFERDONE;
}

TW_UINT16 Capability(TW_UINT16 msg, TW_MEMREF data) {
  auto* cap = static_cast<TW_CAPABILITY*>(data);
  if (msg != MSG_SET || !cap) return Fail(TWCC_BADPROTOCOL);
  auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(cap->hContainer));
  if (!value) return Fail(TWCC_LOWMEMORY);
  Log("cap %04x contype=%u type=%u value=%lu", cap->Cap, cap->ConType, value->ItemType,
      static_cast<unsigned long>(value->Item));
  GlobalUnlock(cap->hContainer);
  return cap->Cap == ICAP_XFERMECH ? TWRC_SUCCESS : Fail(TWCC_BADCAP);
}

TW_UINT16 Dispatch(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  Source& s = State();
  if (dg == DG_CONTROL) {
    switch (dat) {
      case DAT_IDENTITY: return Identity(msg, data);
      case DAT_USERINTERFACE: return UserInterface(msg, data);
      case DAT_PENDINGXFERS: return PendingTransfers(msg, data);
      case DAT_SETUPFILEXFER: return SetupFileTransfer(msg, data);
      case DAT_CAPABILITY: return Capability(msg, data);
      case DAT_EVENT: return TWRC_NOTDSEVENT;
      case DAT_STATUS: {
        auto* status = static_cast<TW_STATUS*>(data);
        if (status) status->ConditionCode = s.condition;
        s.condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
      }
      default: break;
    }
  }
  if (dg == DG_IMAGE && dat == DAT_IMAGEFILEXFER && msg == MSG_GET) return ImageFileTransfer();
  return Fail(TWCC_BADPROTOCOL);
}

}  // namespace

extern "C" __declspec(dllexport) TW_UINT16 WINAPI
    DS_Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  if (origin && dat == DAT_IDENTITY && msg == MSG_OPENDS) State().app = *origin;
  TW_UINT16 rc = Dispatch(dg, dat, msg, data);
  Log("%04lx %04x %04x rc=%x", static_cast<unsigned long>(dg), dat, msg, rc);
  return rc;
}
