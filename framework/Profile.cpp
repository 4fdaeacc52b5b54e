#include "framework/Profile.h"

#include <windows.h>

#include <vector>

namespace {

// A registry key handle closed at scope end.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  bool Open(const std::string& path) {
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_) == ERROR_SUCCESS;
  }
  bool Create(const std::string& path) {
    return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                           &key_, nullptr) == ERROR_SUCCESS;
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

int RegistryProfile::GetInt(const char* section, const char* entry, int defaultValue) const {
  RegKey key;
  if (root_.empty() || !key.Open(SectionPath(section))) return defaultValue;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return defaultValue;
  return static_cast<int>(value);
}

bool RegistryProfile::WriteInt(const char* section, const char* entry, int value) const {
  RegKey key;
  if (root_.empty() || !key.Create(SectionPath(section))) return false;
  DWORD data = static_cast<DWORD>(value);
  return RegSetValueExA(key.get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}

std::string RegistryProfile::GetString(const char* section, const char* entry, const char* defaultValue) const {
  std::string fallback = defaultValue ? defaultValue : "";
  RegKey key;
  if (root_.empty() || !key.Open(SectionPath(section))) return fallback;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), entry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return fallback;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return fallback;
  return std::string(data.data());
}

bool RegistryProfile::WriteString(const char* section, const char* entry, const char* value) const {
  RegKey key;
  if (root_.empty() || !key.Create(SectionPath(section))) return false;
  const char* text = value ? value : "";
  return RegSetValueExA(key.get(), entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(lstrlenA(text)) + 1) == ERROR_SUCCESS;
}

bool RegistryProfile::DeleteSection(const char* section) const {
  if (root_.empty()) return false;
  LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, SectionPath(section).c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
