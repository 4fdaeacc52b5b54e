#pragma once
// Message maps: static tables of entries searched up the class chain. Each entry carries a small
// adapter that unpacks wParam/lParam once and calls the handler with typed arguments.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <vector>

class CCmdTarget;
class CCmdUI;

// Framework messages.
constexpr UINT WM_INITIALUPDATE = 0x0364;
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;
// Notifications and control commands come back to the control that sent them first.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

enum class EntryKind {
  Message,           // a window message
  Command,           // WM_COMMAND with ids in [firstId, lastId] and notification code `code`
  UpdateCommand,     // the update rule of those commands
  Notify,            // WM_NOTIFY from control `firstId` with code `code`
  ReflectedNotify,   // WM_NOTIFY sent by this window to its parent, with code `code`
  ReflectedCommand,  // WM_COMMAND sent by this control to its parent, with code `code`
};

struct MessageEntry {
  EntryKind kind;
  UINT message;
  UINT code;
  UINT firstId;
  UINT lastId;
  // Returns the message result; `lParam` carries the CCmdUI* for update rules.
  std::function<LRESULT(CCmdTarget&, WPARAM, LPARAM)> call;
};

struct MessageMap {
  const MessageMap* base;
  std::vector<MessageEntry> entries;

  MessageMap(const MessageMap* baseMap, std::initializer_list<MessageEntry> list) : base(baseMap), entries(list) {}

  // The first entry on the chain that `matches`, or null.
  template <class Pred>
  const MessageEntry* Find(Pred matches) const {
    for (const MessageMap* map = this; map; map = map->base)
      for (const MessageEntry& e : map->entries)
        if (matches(e)) return &e;
    return nullptr;
  }
};

namespace msgmap_detail {
template <class T, class Fn>
MessageEntry Make(EntryKind kind, UINT message, UINT code, UINT first, UINT last, Fn fn) {
  return MessageEntry{
      kind, message,
      code, first,
      last, [fn](CCmdTarget& target, WPARAM wp, LPARAM lp) -> LRESULT {
                        return fn(static_cast<T&>(target), wp, lp); }};
}
}  // namespace msgmap_detail

// Raw message: LRESULT Handler(WPARAM, LPARAM).
template <class T>
MessageEntry OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
  return msgmap_detail::Make<T>(EntryKind::Message, message, 0, 0, 0,
                                [handler](T& t, WPARAM wp, LPARAM lp) { return (t.*handler)(wp, lp); });
}
// Message without arguments: void Handler().
template <class T>
MessageEntry OnMessage(UINT message, void (T::*handler)()) {
  return msgmap_detail::Make<T>(EntryKind::Message, message, 0, 0, 0, [handler](T& t, WPARAM, LPARAM) {
    (t.*handler)();
    return LRESULT{0};
  });
}

// Typed crackers for the common messages.
template <class T>
MessageEntry OnWmCreate(int (T::*handler)(CREATESTRUCTA*)) {
  return msgmap_detail::Make<T>(EntryKind::Message, WM_CREATE, 0, 0, 0, [handler](T& t, WPARAM, LPARAM lp) {
    return LRESULT((t.*handler)(reinterpret_cast<CREATESTRUCTA*>(lp)));
  });
}
template <class T>
MessageEntry OnWmSize(void (T::*handler)(UINT type, int cx, int cy)) {
  return msgmap_detail::Make<T>(EntryKind::Message, WM_SIZE, 0, 0, 0, [handler](T& t, WPARAM wp, LPARAM lp) {
    (t.*handler)(UINT(wp), short(LOWORD(lp)), short(HIWORD(lp)));
    return LRESULT{0};
  });
}
template <class T>
MessageEntry OnWmTimer(void (T::*handler)(UINT_PTR id)) {
  return msgmap_detail::Make<T>(EntryKind::Message, WM_TIMER, 0, 0, 0, [handler](T& t, WPARAM wp, LPARAM) {
    (t.*handler)(UINT_PTR(wp));
    return LRESULT{0};
  });
}
template <class T>
MessageEntry OnWmInitMenuPopup(void (T::*handler)(HMENU popup, UINT index, bool systemMenu)) {
  return msgmap_detail::Make<T>(EntryKind::Message, WM_INITMENUPOPUP, 0, 0, 0, [handler](T& t, WPARAM wp, LPARAM lp) {
    (t.*handler)(reinterpret_cast<HMENU>(wp), LOWORD(lp), HIWORD(lp) != 0);
    return LRESULT{0};
  });
}
template <class T>
MessageEntry OnWmMenuSelect(void (T::*handler)(UINT item, UINT flags, HMENU menu)) {
  return msgmap_detail::Make<T>(EntryKind::Message, WM_MENUSELECT, 0, 0, 0, [handler](T& t, WPARAM wp, LPARAM lp) {
    (t.*handler)(LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp));
    return LRESULT{0};
  });
}

// Key press: bool Handler(UINT key, UINT repeat, UINT flags) returns true when it consumed the key;
// a key it leaves goes on to the window's previous procedure.
template <class T>
MessageEntry OnWmKeyDown(bool (T::*handler)(UINT key, UINT repeat, UINT flags)) {
  return msgmap_detail::Make<T>(EntryKind::Message, WM_KEYDOWN, 0, 0, 0, [handler](T& t, WPARAM wp, LPARAM lp) {
    if ((t.*handler)(UINT(wp), UINT(LOWORD(lp)), UINT(HIWORD(lp)))) return LRESULT{0};
    return t.Default();
  });
}

// Command: void Handler().
template <class T>
MessageEntry OnCommand(UINT id, void (T::*handler)()) {
  return msgmap_detail::Make<T>(EntryKind::Command, 0, 0, id, id, [handler](T& t, WPARAM, LPARAM) {
    (t.*handler)();
    return LRESULT{0};
  });
}
// Command range: void Handler(UINT id).
template <class T>
MessageEntry OnCommandRange(UINT first, UINT last, void (T::*handler)(UINT)) {
  return msgmap_detail::Make<T>(EntryKind::Command, 0, 0, first, last, [handler](T& t, WPARAM wp, LPARAM) {
    (t.*handler)(UINT(wp));
    return LRESULT{0};
  });
}
// Control notification through WM_COMMAND: void Handler().
template <class T>
MessageEntry OnControl(UINT code, UINT id, void (T::*handler)()) {
  return msgmap_detail::Make<T>(EntryKind::Command, 0, code, id, id, [handler](T& t, WPARAM, LPARAM) {
    (t.*handler)();
    return LRESULT{0};
  });
}
// Update rule: void Handler(CCmdUI&).
template <class T>
MessageEntry OnUpdateCommand(UINT id, void (T::*handler)(CCmdUI&)) {
  return msgmap_detail::Make<T>(EntryKind::UpdateCommand, 0, 0, id, id, [handler](T& t, WPARAM, LPARAM lp) {
    (t.*handler)(*reinterpret_cast<CCmdUI*>(lp));
    return LRESULT{0};
  });
}
template <class T>
MessageEntry OnUpdateCommandRange(UINT first, UINT last, void (T::*handler)(CCmdUI&)) {
  return msgmap_detail::Make<T>(EntryKind::UpdateCommand, 0, 0, first, last, [handler](T& t, WPARAM, LPARAM lp) {
    (t.*handler)(*reinterpret_cast<CCmdUI*>(lp));
    return LRESULT{0};
  });
}
// Notification from child control `id`: void Handler(NMHDR*, LRESULT*).
template <class T>
MessageEntry OnNotify(UINT code, UINT id, void (T::*handler)(NMHDR*, LRESULT*)) {
  return msgmap_detail::Make<T>(EntryKind::Notify, 0, code, id, id, [handler](T& t, WPARAM, LPARAM lp) {
    LRESULT result = 0;
    (t.*handler)(reinterpret_cast<NMHDR*>(lp), &result);
    return result;
  });
}
// Notification this control sent to its parent: void Handler(NMHDR*, LRESULT*).
template <class T>
MessageEntry OnReflectedNotify(UINT code, void (T::*handler)(NMHDR*, LRESULT*)) {
  return msgmap_detail::Make<T>(EntryKind::ReflectedNotify, 0, code, 0, 0, [handler](T& t, WPARAM, LPARAM lp) {
    LRESULT result = 0;
    (t.*handler)(reinterpret_cast<NMHDR*>(lp), &result);
    return result;
  });
}
// Control notification through WM_COMMAND that this control sent to its parent: void Handler().
template <class T>
MessageEntry OnReflectedCommand(UINT code, void (T::*handler)()) {
  return msgmap_detail::Make<T>(EntryKind::ReflectedCommand, 0, code, 0, 0, [handler](T& t, WPARAM, LPARAM) {
    (t.*handler)();
    return LRESULT{0};
  });
}
