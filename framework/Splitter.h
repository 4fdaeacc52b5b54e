#pragma once
// A static splitter: a fixed grid of panes separated by bars the user drags. Panes are views
// made by run-time class; the frame's active view is the active pane.
#include <vector>

#include "framework/StandardIds.h"
#include "framework/Wnd.h"

class CView;

class CSplitterWnd : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  static constexpr int kBarSize = 6;

  bool CreateStatic(CWnd* parent, int rows, int columns, DWORD style = WS_CHILD | WS_VISIBLE,
                    UINT id = AFX_IDW_PANE_FIRST);
  // Makes pane (row, column) from a creatable view class; `size` gives its ideal width and height.
  bool CreateView(int row, int column, const CRuntimeClass* viewClass, SIZE size);
  CWnd* GetPane(int row, int column) const;
  int GetRowCount() const { return rows_; }
  int GetColumnCount() const { return columns_; }
  int GetColumnIdeal(int column) const { return columnIdeal_[column]; }
  void SetColumnIdeal(int column, int width);
  void RecalcLayout();
  // Activates the pane after (or before) the active one, cycling; the first (last) when none is.
  void ActivateNext(bool previous);

 protected:
  void OnSize(UINT type, int cx, int cy);
  void OnPaint();
  LRESULT OnSetCursor(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  void OnCaptureChanged() { draggedBar_ = -1; }
  // The column bar under client x, or -1.
  int BarAt(int x) const;
  int BarLeft(int bar) const;

 private:
  int rows_ = 0;
  int columns_ = 0;
  std::vector<int> columnIdeal_;
  std::vector<int> rowIdeal_;
  std::vector<CWnd*> panes_;  // row-major; the panes delete themselves
  int draggedBar_ = -1;
  int dragOffset_ = 0;
};

// Splits `total` pixels into columns of the given ideal widths with bars between them; the last
// column takes what is left (never less than 0). Returns the left edge and width of each column.
struct PaneSpan {
  int left;
  int width;
};
std::vector<PaneSpan> LayoutColumns(const std::vector<int>& ideal, int total, int barSize);
