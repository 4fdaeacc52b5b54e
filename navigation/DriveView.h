#pragma once
// The folder tree: the left pane of the main window.
#include <string>

#include "framework/View.h"

class CDriveView : public CTreeView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
};
