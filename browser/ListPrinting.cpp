// The list view's printing: the folder's pictures, or the selected ones, as a grid at the size of
// the thumbnail box, for printing and for the preview.
#include <cstring>
#include <new>

#include "browser/MyListView.h"
#include "framework/PrintPreview.h"
#include "framework/WinApp.h"
#include "image/ImageSettings.h"
#include "image/JpegFile.h"
#include "image/Reduce.h"
#include "viewer/PagePicture.h"

int g_imagesPerPage = -1;

PrintPicture LoadPrintPicture(const std::string& path, const GridLayout& grid, const PrintMetrics& metrics) {
  PrintPicture picture;
  // Only the printed size is kept, and decoded at a reduced scale where the cell is much smaller
  // than the photo: a page of full photographs would not fit in the process.
  ScaledJpeg read = ReadJpegRgbScaled(path.c_str(), [&grid, &metrics](uint32_t width, uint32_t height) {
    const PrintRect cell = PlaceInCell(grid, metrics, 0, width, height);
    return cell.width > 0 ? static_cast<uint32_t>(cell.width) : 0u;
  });
  if (!read.pixels) return picture;
  SwapRedBlue(read.pixels.get(), read.width, read.height);
  FlipRowsVertically(read.pixels.get(), size_t{read.width} * 3, read.height);
  picture.sourceWidth = read.sourceWidth;
  picture.sourceHeight = read.sourceHeight;
  picture.bits = std::move(read.pixels);
  picture.width = read.width;
  picture.height = read.height;
  return picture;
}

PrintMetrics CMyListView::PrintMetricsOf(HDC printer) const {
  PrintMetrics m;
  if (!printer) return m;
  m.horzRes = GetDeviceCaps(printer, HORZRES);
  m.vertRes = GetDeviceCaps(printer, VERTRES);
  m.printerDpiX = GetDeviceCaps(printer, LOGPIXELSX);
  m.printerDpiY = GetDeviceCaps(printer, LOGPIXELSY);
  HDC screen = GetDC(m_hWnd);
  m.screenDpiX = GetDeviceCaps(screen, LOGPIXELSX);
  m.screenDpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(m_hWnd, screen);
  return m;
}

std::vector<int> CMyListView::SelectedItems() const {
  std::vector<int> items;
  int index = -1;
  while ((index = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0)
    items.push_back(index);
  return items;
}

bool CMyListView::OnPreparePrinting(CPrintInfo& info) {
  // An empty folder starts no job.
  if (ItemCount() == 0 || ActivePrintPreview()) return false;
  if (SelectedCount() > 0) {
    info.m_pd.Flags &= ~static_cast<DWORD>(PD_NOSELECTION);
    info.m_pd.Flags |= PD_SELECTION;
  }
  // The application's shared defaults: every later dialog and preview starts in landscape.
  if (PrinterSettings* defaults = AfxPrinterDefaults(); defaults && defaults->LoadDefaults())
    defaults->SetOrientation(DMORIENT_LANDSCAPE);
  return DoPreparePrinting(info);
}

void CMyListView::OnBeginPrinting(HDC dc, CPrintInfo& info) {
  CWaitCursor wait;
  pageCount_ = -1;
  g_imagesPerPage = -1;
  if (info.m_pd.hDevMode) {
    if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(info.m_pd.hDevMode))) {
      ResetDCA(dc, mode);
      GlobalUnlock(info.m_pd.hDevMode);
    }
  }
  printJob_ = &info;
  printDecodes_ = 0;
  jobSelection_ = info.PrintSelection() ? SelectedItems() : std::vector<int>{};
  pageCount_ = ComputePageCount(info);
  info.SetMaxPage(static_cast<UINT>(pageCount_));
  printCache_.Reset(Records().size());
}

int CMyListView::ComputePageCount(CPrintInfo& info) {
  if (!info.PrinterDc()) {
    CPrintDialog dialog(info.m_pd);
    if (!dialog.GetDefaults()) return 0;
  }
  const PrintMetrics metrics = PrintMetricsOf(info.PrinterDc());
  if (g_imagesPerPage == -1) {
    printGrid_ = ComputeGridLayout(g_thumbnailWidth, metrics);
    g_imagesPerPage = printGrid_.perPage;
  }
  const size_t items = info.PrintSelection() ? jobSelection_.size() : Records().size();
  return GridPageCount(items, g_imagesPerPage);
}

void CMyListView::OnPrint(HDC dc, CPrintInfo& info) {
  if (!printJob_ || g_imagesPerPage <= 0) return;
  const int page = static_cast<int>(info.m_nCurPage);
  const PrintMetrics metrics = PrintMetricsOf(info.PrinterDc());
  printCache_.BeginPage(page);
  const bool selection = info.PrintSelection();
  const size_t items = selection ? jobSelection_.size() : Records().size();
  const PageSpan span = PageItems(page, g_imagesPerPage, items);
  for (size_t position = span.first; position < span.end; ++position) {
    const size_t item = selection ? static_cast<size_t>(jobSelection_[position]) : position;
    if (item >= Records().size()) continue;
    const PrintPicture* picture = printCache_.Find(item);
    if (!picture) {
      ++printDecodes_;
      picture = printCache_.Store(item, LoadPrintPicture(ItemPath(static_cast<int>(item)), printGrid_, metrics));
    }
    // A picture that could not be decoded leaves its cell blank; the next cells keep their places.
    if (!picture || !picture->bits) continue;
    const int slot = static_cast<int>(position - span.first);
    const PrintRect r = PlaceInCell(printGrid_, metrics, slot, picture->sourceWidth, picture->sourceHeight);
    StretchPictureTo(dc, picture->bits.get(), picture->width, picture->height,
                     RECT{r.x, r.y, r.x + r.width, r.y + r.height});
  }
}

void CMyListView::OnEndPrinting(HDC, CPrintInfo&) {
  g_imagesPerPage = -1;
  pageCount_ = -1;
  printJob_ = nullptr;
  jobSelection_.clear();
  printCache_.Reset(Records().size());
}

void CMyListView::RebuildPrintJob() {
  if (!printJob_) return;
  // The same job (box and images per page) over the new records.
  if (printJob_->PrintSelection()) jobSelection_ = SelectedItems();
  pageCount_ = ComputePageCount(*printJob_);
  printJob_->SetMaxPage(static_cast<UINT>(pageCount_));
  printCache_.Reset(Records().size());
  if (CPrintPreview* preview = ActivePrintPreview(); preview && preview->View() == this) preview->Refresh();
}

void CMyListView::OnUpdatePrint(CCmdUI& ui) { ui.Enable(ItemCount() > 0 && !ActivePrintPreview()); }
