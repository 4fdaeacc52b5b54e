#include "browser/PrintGrid.h"

#include <algorithm>

GridLayout ComputeGridLayout(int box, const PrintMetrics& m) {
  GridLayout grid;
  grid.box = box;
  if (m.screenDpiX <= 0 || m.screenDpiY <= 0) return grid;
  grid.cellWidth = static_cast<int>(int64_t{box + kPrintCellGap} * m.printerDpiX / m.screenDpiX);
  grid.cellHeight = static_cast<int>(int64_t{box + kPrintCellGap} * m.printerDpiY / m.screenDpiY);
  if (grid.cellWidth <= 0 || grid.cellHeight <= 0) return grid;
  grid.columns = m.horzRes / grid.cellWidth;
  grid.rows = m.vertRes / grid.cellHeight;
  if (grid.columns <= 0 || grid.rows <= 0) {
    grid.oversized = true;
    grid.columns = grid.rows = 1;
  } else {
    grid.left = (m.horzRes % grid.cellWidth) / 2;
  }
  grid.perPage = grid.columns * grid.rows;
  return grid;
}

int GridPageCount(size_t items, int perPage) {
  if (perPage <= 0) return 0;
  const size_t per = static_cast<size_t>(perPage);
  return static_cast<int>(items / per + (items % per ? 1 : 0));
}

PageSpan PageItems(int page, int perPage, size_t items) {
  if (page < 1 || perPage <= 0) return {};
  const uint64_t first = uint64_t(page - 1) * uint64_t(perPage);
  if (first >= items) return {};
  const uint64_t end = std::min<uint64_t>(first + uint64_t(perPage), items);
  return {static_cast<size_t>(first), static_cast<size_t>(end)};
}

PrintRect PlaceInCell(const GridLayout& grid, const PrintMetrics& m, int slot, uint32_t width, uint32_t height) {
  if (width == 0 || height == 0 || grid.perPage <= 0 || m.screenDpiX <= 0 || m.screenDpiY <= 0) return {};
  const int64_t box = grid.box;
  // Fitted into the box: the side that limits keeps the box's length, the other follows the
  // picture's aspect (whole numbers, truncated).
  int64_t dw = box;
  int64_t dh = box;
  if (box * width < box * height)
    dw = box * width / height;
  else if (box * width > box * height)
    dh = box * height / width;
  const int64_t below = (box - dh) / 2;
  PrintRect r;
  r.width = static_cast<int>(dw * m.printerDpiX / m.screenDpiX);
  r.height = static_cast<int>(dh * m.printerDpiY / m.screenDpiY);
  if (grid.oversized) {
    // One picture a page: shrunk to fit the printable area, centred.
    const double scale = std::min({1.0, static_cast<double>(m.horzRes) / std::max(1, r.width),
                                   static_cast<double>(m.vertRes) / std::max(1, r.height)});
    r.width = std::max(1, static_cast<int>(r.width * scale));
    r.height = std::max(1, static_cast<int>(r.height * scale));
    r.x = (m.horzRes - r.width) / 2;
    r.y = (m.vertRes - r.height) / 2;
    return r;
  }
  const int column = slot % grid.columns;
  const int row = slot / grid.columns;
  r.x = grid.left + column * grid.cellWidth;
  r.y = row * grid.cellHeight + static_cast<int>(static_cast<double>(below) * m.printerDpiY / m.screenDpiY);
  return r;
}
