#pragma once
// Settings in the per-user registry: one subkey per section below a root key, one value per
// entry; integers are DWORD values, strings are string values.
#include <string>

class RegistryProfile {
 public:
  // `root` is a key path below HKEY_CURRENT_USER, e.g. "Software\\Company\\App".
  void SetRoot(std::string root) { root_ = std::move(root); }
  const std::string& Root() const { return root_; }

  int GetInt(const char* section, const char* entry, int defaultValue) const;
  bool WriteInt(const char* section, const char* entry, int value) const;
  std::string GetString(const char* section, const char* entry, const char* defaultValue = "") const;
  bool WriteString(const char* section, const char* entry, const char* value) const;
  // Removes the section's key with all its values.
  bool DeleteSection(const char* section) const;

 private:
  std::string SectionPath(const char* section) const { return root_ + "\\" + section; }
  std::string root_;
};
