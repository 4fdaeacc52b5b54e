#include "navigation/Shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

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

// The path as the UTF-16 text that IPersistFile takes, at most MAX_PATH characters.
bool WidePath(const std::string& path, wchar_t (&wide)[MAX_PATH]) {
  if (path.empty() || path.size() >= MAX_PATH) return false;
  return MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0;
}

}  // namespace

bool CreateShortcut(const std::string& shortcutFile, const std::string& target, const std::string& description) {
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out())))
    return false;
  if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetDescription(description.c_str()))) return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) return false;
  wchar_t wide[MAX_PATH];
  if (!WidePath(shortcutFile, wide)) return false;
  return SUCCEEDED(file->Save(wide, TRUE));
}

std::string ResolveShortcut(const std::string& shortcutFile) {
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out()))) return "";
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) return "";
  wchar_t wide[MAX_PATH];
  // A missing file is not handed to the loader at all.
  if (!WidePath(shortcutFile, wide) || GetFileAttributesA(shortcutFile.c_str()) == INVALID_FILE_ATTRIBUTES) return "";
  if (FAILED(file->Load(wide, STGM_READ))) return "";
  if (FAILED(link->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH))) return "";
  char path[MAX_PATH] = "";
  WIN32_FIND_DATAA found{};
  // Wine resolves a link whose target is gone as a success: the path decides.
  if (link->GetPath(path, MAX_PATH, &found, 0) != S_OK) return "";
  return path;
}
