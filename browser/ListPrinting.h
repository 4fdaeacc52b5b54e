#pragma once
// A print job of pictures as a grid at the size of the thumbnail box, for printing and for the
// preview. The job copies the paths it prints when it starts, so that it never follows the list
// (a relisting while the job or its preview runs changes nothing in it), and the list and the job
// do not need each other.
//
// Ownership: the list view owns the one job object and starts it from its printing hooks; UI
// thread only.
#include <windows.h>

#include <string>
#include <vector>

#include "browser/PrintCache.h"
#include "browser/PrintGrid.h"

class CPrintInfo;

// Cells a page of the running print job; -1 when no job has computed it.
extern int g_imagesPerPage;

// Decodes a photo for a print job, reduced to the width it prints at in `grid`, in DIB order. No
// pixels when the file cannot be decoded or the memory cannot be had. A library warning is posted
// to the main window (the decode runs inside a page of the job).
PrintPicture LoadPrintPicture(const std::string& path, const GridLayout& grid, const PrintMetrics& metrics);

class ListPrintJob {
 public:
  // Starts a job over `paths` (in printing order) on the printer of `info` (its defaults when it
  // has no DC yet) and sets the job's page count in `info`.
  void Begin(std::vector<std::string> paths, CPrintInfo& info);
  // Draws page `page` of the job into `dc`.
  void PrintPage(HDC dc, CPrintInfo& info);
  // Ends the job: no paths, no pictures.
  void End();

  bool Running() const { return running_; }
  int PageCount() const { return pageCount_; }
  int Decodes() const { return decodes_; }
  const std::vector<std::string>& Paths() const { return paths_; }
  const PrintPictureCache& Cache() const { return cache_; }
  const GridLayout& Grid() const { return grid_; }

 private:
  std::vector<std::string> paths_;
  GridLayout grid_;
  PrintPictureCache cache_;
  int pageCount_ = -1;
  int decodes_ = 0;
  bool running_ = false;
};
