#pragma once
// Views: the child windows that fill a frame's client area or a splitter pane. A view becomes the
// frame's active view when the user clicks into it, and gets the frame's commands first.
// Ownership: a frame or splitter creates its views by run-time class; a view deletes itself with
// its window. User-interface thread only.
#include "framework/Wnd.h"

#include <commctrl.h>

#include "framework/Print.h"

class CFrameWnd;

class CView : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // Creates the view as child `id` of `parent`.
  virtual bool Create(CWnd* parent, UINT id, const RECT& rect, DWORD style = WS_CHILD | WS_VISIBLE);

  // Styles added to `style` at creation (the list and tree controls' own styles).
  virtual DWORD ControlStyle() const { return 0; }
  virtual void OnInitialUpdate() {}
  virtual void OnDraw(HDC dc) {}
  // The frame that holds the view (the nearest ancestor frame), or null.
  CFrameWnd* GetParentFrame() const;
  // Tracks the first popup of menu resource `menuId` at a screen point, right button enabled;
  // the chosen command goes to the parent frame and its command route.
  void TrackContextMenu(UINT menuId, LPARAM screenPoint) const;

  void PostNcDestroy() override { delete this; }

  // Printing steps. One OnPrint serves printing and preview: it draws page info.m_nCurPage into
  // `dc` in printer pixels and reads the page geometry from info.PrinterDc().
  virtual bool OnPreparePrinting(CPrintInfo& info) { return DoPreparePrinting(info); }
  virtual void OnBeginPrinting(HDC, CPrintInfo&) {}
  virtual void OnPrepareDC(HDC, CPrintInfo*) {}
  virtual void OnPrint(HDC dc, CPrintInfo&) { OnDraw(dc); }
  virtual void OnEndPrinting(HDC, CPrintInfo&) {}
  // The print dialog (none for a preview or a direct job) and the job's printer DC; false, after
  // a box when there is no printer, when nothing is to be printed.
  bool DoPreparePrinting(CPrintInfo& info);
  // The print command: prepare, then the print loop.
  void OnFilePrint();
  // The print preview command: a preview window over the frame, drawing pages through OnPrint.
  void OnFilePrintPreview();
  PrintOutcome LastPrintOutcome() const { return lastPrintOutcome_; }

 protected:
  // The window class of the view: by default double clicks, arrow cursor, no background brush.
  virtual const char* ViewClass() const;
  void OnPaint();
  void PaintByControl() { Default(); }
  void OnDestroy();
  LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);
  LRESULT OnMouseActivate(WPARAM, LPARAM);
  void OnSetFocus();

 private:
  PrintOutcome lastPrintOutcome_ = PrintOutcome::NotStarted;
};

// Shows each of a window's two scroll bars only when the content is larger than the page, keeps
// the position inside the range and hands both to the bars.
void SetScrollBarsToFit(HWND window, const SIZE& page, const SIZE& content, POINT& position);

// A view that draws a logical area of a given size with scroll bars when the window is smaller.
class CScrollView : public CView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  void SetScrollSizes(int mapMode, SIZE total);
  SIZE GetTotalSize() const { return total_; }
  POINT GetScrollPosition() const { return position_; }

 protected:
  void OnPaint();
  void OnSize(UINT type, int cx, int cy);
  LRESULT OnHScroll(WPARAM, LPARAM);
  LRESULT OnVScroll(WPARAM, LPARAM);
  void UpdateBars();
  void ScrollTo(int bar, int position);

  int mapMode_ = MM_TEXT;
  SIZE total_{0, 0};
  POINT position_{0, 0};
};

// A left-aligned column of a report-mode list control.
struct ListColumn {
  const char* title;
  int width;
};
// Inserts `count` columns into an empty list control, in order.
void InsertListColumns(HWND list, const ListColumn* columns, int count);

// Views over the system's list and tree controls; their notifications come back to them.
class CListView : public CView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
  DWORD ControlStyle() const override { return LVS_ICON; }
  HWND GetListCtrl() const { return m_hWnd; }

 protected:
  const char* ViewClass() const override { return WC_LISTVIEWA; }
};

class CTreeView : public CView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
  DWORD ControlStyle() const override { return TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT; }
  HWND GetTreeCtrl() const { return m_hWnd; }

 protected:
  const char* ViewClass() const override { return WC_TREEVIEWA; }
};
