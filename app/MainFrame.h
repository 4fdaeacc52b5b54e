#pragma once
// The program's main window.
#include <string>

#include "framework/FrameWnd.h"

class CMainFrame : public CFrameWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // Shows `path` in the folder tree; kept as the folder to select once the tree exists.
  void ShowFolder(const std::string& path);
  const std::string& ShownFolder() const { return shownFolder_; }

 private:
  std::string shownFolder_;
};
