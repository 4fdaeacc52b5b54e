#include "navigation/Shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "framework/PathText.h"

namespace {

// An interface pointer released at scope end.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void** out() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

// `path` as the UTF-16 text the shell link takes, fewer than MAX_PATH characters; empty otherwise.
std::wstring WidePath(const std::string& path) {
  std::wstring wide = WideFromText(path);
  if (wide.size() >= MAX_PATH) wide.clear();
  return wide;
}

}  // namespace

// The wide interface: the A one's conversions need not follow the manifest's UTF-8 code page.
bool CreateShortcut(const std::string& shortcutFile, const std::string& target, const std::string& description) {
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out())))
    return false;
  const std::wstring wideTarget = WidePath(target);
  const std::wstring wideFile = WidePath(shortcutFile);
  const std::wstring wideDescription = WideFromText(description);
  if (wideTarget.empty() || wideFile.empty() || (wideDescription.empty() && !description.empty())) return false;
  if (FAILED(link->SetPath(wideTarget.c_str())) || FAILED(link->SetDescription(wideDescription.c_str()))) return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) return false;
  return SUCCEEDED(file->Save(wideFile.c_str(), TRUE));
}

std::string ResolveShortcut(const std::string& shortcutFile) {
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out()))) return "";
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) return "";
  const std::wstring wideFile = WidePath(shortcutFile);
  // A missing file is not handed to the loader at all.
  if (wideFile.empty() || GetFileAttributesA(shortcutFile.c_str()) == INVALID_FILE_ATTRIBUTES) return "";
  if (FAILED(file->Load(wideFile.c_str(), STGM_READ))) return "";
  if (FAILED(link->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH))) return "";
  wchar_t path[MAX_PATH] = L"";
  WIN32_FIND_DATAW found{};
  // Wine resolves a link whose target is gone as a success: the path decides.
  if (link->GetPath(path, MAX_PATH, &found, 0) != S_OK) return "";
  std::string text;
  return TextFromWide(path, text) ? text : "";
}
