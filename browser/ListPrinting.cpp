#include "browser/ListPrinting.h"

#include <cstring>
#include <new>

#include "framework/MessageBox.h"
#include "framework/Print.h"
#include "image/ImageSettings.h"
#include "image/JpegFile.h"
#include "image/Reduce.h"
#include "viewer/PagePicture.h"

int g_imagesPerPage = -1;

namespace {

PrintMetrics PrintMetricsOf(HDC printer) {
  PrintMetrics m;
  if (!printer) return m;
  m.horzRes = GetDeviceCaps(printer, HORZRES);
  m.vertRes = GetDeviceCaps(printer, VERTRES);
  m.printerDpiX = GetDeviceCaps(printer, LOGPIXELSX);
  m.printerDpiY = GetDeviceCaps(printer, LOGPIXELSY);
  HDC screen = GetDC(nullptr);
  m.screenDpiX = GetDeviceCaps(screen, LOGPIXELSX);
  m.screenDpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return m;
}

}  // namespace

PrintPicture LoadPrintPicture(const std::string& path, const GridLayout& grid, const PrintMetrics& metrics) {
  PrintPicture picture;
  // Only the printed size is kept, and decoded at a reduced scale where the cell is much smaller
  // than the photo: a page of full photographs would not fit in the process.
  ScaledJpeg read = ReadJpegRgbScaled(path.c_str(), [&grid, &metrics](uint32_t width, uint32_t height) {
    const PrintRect cell = PlaceInCell(grid, metrics, 0, width, height);
    return cell.width > 0 ? static_cast<uint32_t>(cell.width) : 0u;
  });
  if (!read.warning.empty()) AfxPostMessageBox(read.warning, kJpegErrorCaption);
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

void ListPrintJob::Begin(std::vector<std::string> paths, CPrintInfo& info) {
  paths_ = std::move(paths);
  running_ = true;
  decodes_ = 0;
  pageCount_ = 0;
  g_imagesPerPage = -1;
  cache_.Reset(paths_.size());
  if (!info.PrinterDc()) {
    CPrintDialog dialog(info.m_pd);
    if (!dialog.GetDefaults()) {
      info.SetMaxPage(0);
      return;
    }
  }
  const PrintMetrics metrics = PrintMetricsOf(info.PrinterDc());
  grid_ = ComputeGridLayout(g_thumbnailWidth, metrics);
  g_imagesPerPage = grid_.perPage;
  pageCount_ = GridPageCount(paths_.size(), g_imagesPerPage);
  info.SetMaxPage(static_cast<UINT>(pageCount_));
}

void ListPrintJob::PrintPage(HDC dc, CPrintInfo& info) {
  if (!running_ || g_imagesPerPage <= 0) return;
  const int page = static_cast<int>(info.m_nCurPage);
  const PrintMetrics metrics = PrintMetricsOf(info.PrinterDc());
  cache_.BeginPage(page);
  const PageSpan span = PageItems(page, g_imagesPerPage, paths_.size());
  for (size_t position = span.first; position < span.end && position < paths_.size(); ++position) {
    const PrintPicture* picture = cache_.Find(position);
    if (!picture) {
      ++decodes_;
      picture = cache_.Store(position, LoadPrintPicture(paths_[position], grid_, metrics));
    }
    // A picture that could not be decoded leaves its cell blank; the next cells keep their places.
    if (!picture || !picture->bits) continue;
    const int slot = static_cast<int>(position - span.first);
    const PrintRect r = PlaceInCell(grid_, metrics, slot, picture->sourceWidth, picture->sourceHeight);
    StretchPictureTo(dc, picture->bits.get(), picture->width, picture->height,
                     RECT{r.x, r.y, r.x + r.width, r.y + r.height});
  }
}

void ListPrintJob::End() {
  g_imagesPerPage = -1;
  pageCount_ = -1;
  running_ = false;
  paths_.clear();
  cache_.Reset(0);
}
