#pragma once
// Thumbnail files: one small JPEG per image (or a copy of an image that already fits the thumbnail
// box), named after the image's title with ".cpg", hidden, beside the image or, for images on
// removable and CD-ROM drives, under the program's folder in "DRVE_<letter>\<image folder>".
// A thumbnail file is recognised by its name only.
#include <string>
#include <unordered_set>

// The thumbnail file of an image given by its full path. `appFolder` is the program's folder
// without a trailing backslash. The title is the file name up to its first ".", so a.jpg and
// a.old.jpg share a.cpg.
std::string ThumbnailPathFor(const std::string& imagePath, const std::string& appFolder);

// The name of an image's thumbnail file: the image's file name up to its first "." with ".cpg".
std::string ThumbnailNameFor(const std::string& imageName);

// The folder that holds the thumbnail files of `folder`'s images: its "DRVE_" folder under
// `appFolder` on a removable or CD-ROM drive, else `folder` itself.
std::string ThumbnailFolderFor(const std::string& folder, const std::string& appFolder);

// Done by each listing: on a removable or CD-ROM drive, creates the folder's thumbnail folder and
// every folder above it when it is missing. Failures are ignored; other drives need nothing.
void PrepareThumbnailFolder(const std::string& folder, const std::string& appFolder);

// Decodes the image and puts its thumbnail file in place, hidden. The file is written, hidden from
// the start, under a temporary name "~thumb-<process id>-<n>.tmp" in the same folder and renamed
// when complete, so an interrupted write never leaves a damaged thumbnail file; an existing
// thumbnail file is never replaced. An image another program holds open for writing is left
// for a later request. A file made while another thumbnail box was chosen is not kept: it was made
// for a box that is no longer current, and the size command's purge may already have passed.
// True when this call put the file in place; false for an image that cannot be read, a file that
// cannot be written or a file not kept. A library warning of the decode is posted to the main
// window (AfxPostMessageBox), whichever thread runs this.
bool MakeThumbnailFile(const std::string& imagePath, const std::string& thumbPath);

// Deletes the thumbnail files of `folder` (the "*.cpg" files of its thumbnail folder) and the
// temporary files that writers which no longer run left there. Failures are ignored.
void PurgeThumbnailFiles(const std::string& folder, const std::string& appFolder);

// Deletes the temporary thumbnail files in `folder` whose writing process no longer runs: no
// process has the id in the name, it has ended, or it started after the file was made (a later
// program that was given the id again). Only names of the exact temporary pattern are touched.
void DeleteStaleTemporaryFiles(const std::string& folder);

// The thumbnail files of one thumbnail folder, learnt from one search of it, so that the worker
// need not look for each image's file on its own. The search also deletes the temporary files of
// writers that no longer run, as DeleteStaleTemporaryFiles does. Names compare without regard to
// case. A snapshot: callers look again (PathExists) before they make a file.
class ExistingThumbnails {
 public:
  static ExistingThumbnails Read(const std::string& thumbFolder);
  // False when the thumbnail folder does not exist: no thumbnail file can be written there.
  bool FolderFound() const { return folderFound_; }
  bool Contains(const std::string& thumbName) const;
  void Insert(const std::string& thumbName);

 private:
  static std::string Key(const std::string& thumbName);

  bool folderFound_ = false;
  std::unordered_set<std::string> names_;  // upper-cased
};

// True when a file or folder of that name exists.
bool PathExists(const std::string& path);

// Tests watch the writers through this: called when a thread begins making a thumbnail file
// (true) and when it is done (false). Null, the default, watches nothing.
using ThumbnailWriteObserver = void (*)(const std::string& thumbPath, bool starting);
void SetThumbnailWriteObserver(ThumbnailWriteObserver observer);

// Tests look at each temporary file as it comes into being, before anything is written to it
// (`complete` false), and once it is written, before it is put in place (`complete` true). Null,
// the default, looks at nothing.
using TemporaryFileObserver = void (*)(const std::string& temporaryPath, bool complete);
void SetTemporaryFileObserver(TemporaryFileObserver observer);
