#include "program/Settings.h"

#include "framework/WinApp.h"

namespace {
int ReadInt(const char* section, const char* entry, int defaultValue) {
  CWinApp* app = AfxGetApp();
  return app ? app->GetProfileInt(section, entry, defaultValue) : defaultValue;
}

void WriteInt(const char* section, const char* entry, int value) {
  if (CWinApp* app = AfxGetApp()) app->WriteProfileInt(section, entry, value);
}
}  // namespace

int ThumbnailBoxForCode(int code) {
  static constexpr int kBoxes[] = {48, 96, 144, 192, 504};
  return code >= 0 && code < 5 ? kBoxes[code] : 0;
}

int ReadThumbnailSizeCode() { return ReadInt(kSettingsSection, kThumbnailSizeEntry, 1); }
void WriteThumbnailSizeCode(int code) { WriteInt(kSettingsSection, kThumbnailSizeEntry, code); }
int ReadSortOrder() { return ReadInt(kSettingsSection, kSortByEntry, 0); }
void WriteSortOrder(int order) { WriteInt(kSettingsSection, kSortByEntry, order); }
int ReadTransferMode(int defaultMode) { return ReadInt(kTwainSection, kTransferModeEntry, defaultMode); }
