#pragma once
// The arithmetic of printing a folder as a grid of pictures: cells of the thumbnail box converted
// from screen to printer pixels, pages of cells, and where a picture sits in its cell. Pure
// functions, no <windows.h>.
#include <cstddef>
#include <cstdint>
#include <vector>

// Screen pixels added to the thumbnail box in each direction to make a cell.
inline constexpr int kPrintCellGap = 2;

// The device figures of a job: the printable page in printer pixels, the printer's and the
// screen's pixels per inch.
struct PrintMetrics {
  int horzRes = 0;
  int vertRes = 0;
  int printerDpiX = 0;
  int printerDpiY = 0;
  int screenDpiX = 96;
  int screenDpiY = 96;
};

struct GridLayout {
  int box = 0;         // thumbnail box of the job, screen pixels
  int cellWidth = 0;   // printer pixels
  int cellHeight = 0;  // printer pixels
  int columns = 0;
  int rows = 0;
  int perPage = 0;
  int left = 0;            // left edge of the first column: the columns are centred
  bool oversized = false;  // not even one cell fits: one picture a page, shrunk to the page
};

// The grid of a box on a page. Never fewer than one picture a page.
GridLayout ComputeGridLayout(int box, const PrintMetrics& metrics);
// Pages for `items` pictures at `perPage` a page (0 items: 0 pages).
int GridPageCount(size_t items, int perPage);
// The positions in the job's list of items (every record, or the selected items in index order)
// printed on page `page` (1-based): [first, end), empty past the last page.
struct PageSpan {
  size_t first = 0;
  size_t end = 0;
};
PageSpan PageItems(int page, int perPage, size_t items);

// A rectangle in printer pixels.
struct PrintRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PrintRect&) const = default;
};
// Where a picture of width x height goes in cell `slot` (0-based on its page): fitted into the box
// as the list view fits thumbnails, at the cell's left, centred vertically in the box, converted to
// printer pixels. An empty rectangle for an empty picture.
PrintRect PlaceInCell(const GridLayout& grid, const PrintMetrics& metrics, int slot, uint32_t width, uint32_t height);
