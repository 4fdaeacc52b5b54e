#pragma once
// Objects that take commands through their message maps, and the command update interface.
#include <windows.h>

#include <string>

#include "framework/MessageMap.h"
#include "framework/Object.h"

class CCmdTarget : public CObject {
 public:
  static const MessageMap kMessageMap;
  virtual const MessageMap& GetMessageMap() const { return kMessageMap; }

  // Carries out command `id` sent with notification `code` (ui null), or asks its update rule
  // (ui set). True when this object has the command; a command handler without an update rule
  // enables its item.
  virtual bool OnCmdMsg(UINT id, UINT code, CCmdUI* ui);
};

// The state of one command's user-interface item. This base only remembers what the update rule
// set; the menu and toolbar kinds also apply it to their item.
class CCmdUI {
 public:
  explicit CCmdUI(UINT commandId = 0) : id(commandId) {}
  virtual ~CCmdUI() = default;

  virtual void Enable(bool on = true) { enabled = on; }
  // 0 clear, 1 checked, 2 indeterminate.
  virtual void SetCheck(int state = 1) { check = state; }
  virtual void SetRadio(bool on = true) { radio = on; }
  virtual void SetText(const char* newText) { text = newText ? newText : ""; }

  // Asks the route that starts at `target`. An item nobody on the route has is disabled.
  // Returns whether it ends up enabled.
  bool DoUpdate(CCmdTarget* target);

  UINT id;
  bool enabled = true;
  int check = 0;
  bool radio = false;
  std::string text;
};
