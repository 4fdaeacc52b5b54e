#include "navigation/VolumeSerials.h"

int DriveIndexOf(const std::string& path) {
  if (path.empty()) return -1;
  char letter = path[0];
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

std::string DriveRoot(int index) {
  if (index < 0 || index > 25) return "";
  std::string root = "?:\\";
  root[0] = static_cast<char>('A' + index);
  return root;
}

std::optional<DWORD> ReadVolumeSerial(const std::string& root) {
  DWORD serial = 0;
  if (!GetVolumeInformationA(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return std::nullopt;
  return serial;
}

void VolumeSerialTable::Remember(int index, std::optional<DWORD> serial) {
  if (index >= 0 && index < 26) serials_[static_cast<size_t>(index)] = serial;
}

bool VolumeSerialTable::Check(int index, std::optional<DWORD> serial) {
  if (index < 0 || index >= 26) return serial.has_value();
  std::optional<DWORD>& stored = serials_[static_cast<size_t>(index)];
  bool same = !stored || stored == serial;
  stored = serial;
  return serial && same;
}

std::optional<DWORD> VolumeSerialTable::Stored(int index) const {
  if (index < 0 || index >= 26) return std::nullopt;
  return serials_[static_cast<size_t>(index)];
}
