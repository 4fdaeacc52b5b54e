#pragma once
// The print preview window: a window over the view's frame with a bar (Print, Next Page, Prev
// Page, One Page / Two Page, Zoom In, Zoom Out, Close) and the pages of the job drawn through the
// view's OnPrint at the printer's geometry. Each page is drawn once into a bitmap at the screen's
// resolution and kept (a few pages at most), so repainting, paging back and zooming never draw
// the page again.
//
// Ownership: the preview owns the job's CPrintInfo and its page bitmaps; it deletes itself with
// its window. Closing it ends the job (OnEndPrinting). The view it shows closes it when the view
// is destroyed; it is owned by the frame, so it also goes before the frame. UI thread only.
#include <memory>
#include <vector>

#include "framework/Print.h"
#include "framework/Wnd.h"

class CView;

// Commands of the preview bar.
inline constexpr UINT kPreviewClose = 0xE300;
inline constexpr UINT kPreviewNumPage = 0xE301;
inline constexpr UINT kPreviewNext = 0xE302;
inline constexpr UINT kPreviewPrev = 0xE303;
inline constexpr UINT kPreviewPrint = 0xE304;
inline constexpr UINT kPreviewZoomIn = 0xE305;
inline constexpr UINT kPreviewZoomOut = 0xE306;

// A page of a printer of horzRes x vertRes pixels at dpiX x dpiY, shown at screenDpiX x screenDpiY:
// its size in screen pixels (at least 1 x 1).
struct PreviewPageSize {
  int width = 1;
  int height = 1;
};
PreviewPageSize PreviewBitmapSize(int horzRes, int vertRes, int dpiX, int dpiY, int screenDpiX, int screenDpiY);

class CPrintPreview : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  static constexpr int kMaxZoom = 2;       // 0 fits the pages to the window; 1 actual size; 2 double
  static constexpr size_t kKeptPages = 6;  // page bitmaps kept

  // Opens the preview of a prepared job whose OnBeginPrinting has run; on failure the job is
  // ended (OnEndPrinting) and null returned.
  static CPrintPreview* Open(CView& view, std::unique_ptr<CPrintInfo> info);
  void Close() { DestroyWindow(); }
  // The job changed (its page count or its items): forgets the drawn pages and keeps the current
  // page within the job.
  void Refresh();

  CView* View() const { return view_; }
  CPrintInfo& Info() const { return *info_; }
  UINT CurrentPage() const { return page_; }
  int PagesShown() const { return pagesShown_; }
  int Zoom() const { return zoom_; }
  // How many times a page was drawn through the view.
  int PagesDrawn() const { return pagesDrawn_; }
  // The kept bitmap of `page`, or null.
  HBITMAP PageBitmap(UINT page) const;
  HWND Button(UINT id) const { return GetDlgItem(m_hWnd, static_cast<int>(id)); }

  void PostNcDestroy() override;

 protected:
  int OnCreate(CREATESTRUCTA* cs);
  void OnDestroy();
  void OnPaint();
  void OnSize(UINT type, int cx, int cy);
  bool OnKeyDown(UINT key, UINT repeat, UINT flags);
  LRESULT OnScroll(WPARAM wParam, LPARAM lParam);
  LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }
  void OnNext();
  void OnPrev();
  void OnNumPage();
  void OnZoomIn();
  void OnZoomOut();
  void OnPrint();
  void OnClose();

 private:
  struct RenderedPage {
    UINT page = 0;
    HBITMAP bitmap = nullptr;
    PreviewPageSize size;
  };

  CPrintPreview(CView& view, std::unique_ptr<CPrintInfo> info);
  ~CPrintPreview() override;
  const RenderedPage* Render(UINT page);
  void DropPages();
  void ShowPage(UINT page);
  void UpdateBar();
  void LayoutBar();
  // The area below the bar.
  RECT PageArea() const;
  double Scale(const PreviewPageSize& page) const;
  void UpdateScrollBars();
  void ScrollBy(int bar, int delta);

  CView* view_;
  std::unique_ptr<CPrintInfo> info_;
  std::vector<RenderedPage> pages_;
  UINT page_ = 1;
  int pagesShown_ = 1;
  int zoom_ = 0;
  int pagesDrawn_ = 0;
  POINT scroll_{0, 0};
  SIZE content_{0, 0};
  bool ended_ = false;
};

// The open preview, or null (there is at most one).
CPrintPreview* ActivePrintPreview();
