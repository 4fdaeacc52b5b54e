#pragma once
// A window object owns one HWND. One shared window procedure finds the object of a handle and
// dispatches through its message map; windows of system classes are subclassed.
// Ownership: whoever makes a window object destroys it, unless its class deletes itself in
// PostNcDestroy (frames, viewer windows); user-interface thread only.
#include <windows.h>

#include <string>

#include "framework/CmdTarget.h"

class CWnd : public CCmdTarget {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  // The object bound to a window, or null for windows that are not ours.
  static CWnd* FromHandle(HWND hwnd);

  // Creates the window. Classes of ours bind at WM_NCCREATE; system classes are subclassed
  // right after creation. `idOrMenu` is the child id or the menu handle.
  bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int cx, int cy,
                CWnd* parent, UINT_PTR idOrMenu);
  bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                UINT_PTR idOrMenu) {
    return CreateEx(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent, idOrMenu);
  }
  bool SubclassWindow(HWND hwnd);
  bool DestroyWindow();

  // Registers (once) and returns a window class of ours with the given style, cursor, brush and icon.
  static const char* RegisterClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                   HICON icon = nullptr);

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Whether the message waits while a yield point is open (see YieldPoint.h): timer ticks of a
  // window that handles them; frames add their close, the list view its relisting.
  virtual bool DefersWhileYielding(UINT message, WPARAM wParam, LPARAM lParam) const;
  // Looks the message up in the message map; true and *result when handled.
  virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Default processing of the message being handled.
  LRESULT Default();

  virtual bool PreCreateWindow(CREATESTRUCTA& cs) { return true; }
  virtual bool PreTranslateMessage(MSG* msg) { return false; }
  // Called after the window is gone; windows that own themselves delete themselves here.
  virtual void PostNcDestroy() {}
  // Whether the window posts the quit message that ends the message loop when it is destroyed:
  // the main window does (the application sets this when it makes a window its main window).
  void SetQuitWhenDestroyed(bool quit) { quitWhenDestroyed_ = quit; }

  virtual bool OnWmCommand(WPARAM wParam, LPARAM lParam);
  virtual bool OnWmNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  // A WM_COMMAND or WM_NOTIFY this control sent to its parent, offered back to it first.
  virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  void SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, bool deep = true);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
  }
  std::string GetWindowText() const;
  void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
  void ShowWindow(int how) const { ::ShowWindow(m_hWnd, how); }
  void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
  RECT GetClientRect() const;

  HWND m_hWnd = nullptr;

 protected:
  static LRESULT CALLBACK SharedWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Attach(HWND hwnd);
  // Unbinds after WM_NCDESTROY and runs PostNcDestroy.
  void FinishDestroy();

  WNDPROC m_oldProc = nullptr;

 private:
  struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  };
  CurrentMessage m_current;
  bool quitWhenDestroyed_ = false;
};
