#pragma once
// Thumbnail files: one small JPEG per image (or a copy of an image that already fits the thumbnail
// box), named after the image's title with ".cpg", hidden, beside the image or, for images on
// removable and CD-ROM drives, under the program's folder in "DRVE_<letter>\<image folder>".
// A thumbnail file is recognised by its name only.
#include <string>

// The thumbnail file of an image given by its full path. `appFolder` is the program's folder
// without a trailing backslash. The title is the file name up to its first ".", so a.jpg and
// a.old.jpg share a.cpg.
std::string ThumbnailPathFor(const std::string& imagePath, const std::string& appFolder);

// The folder that holds the thumbnail files of `folder`'s images: its "DRVE_" folder under
// `appFolder` on a removable or CD-ROM drive, else `folder` itself.
std::string ThumbnailFolderFor(const std::string& folder, const std::string& appFolder);

// Done by each listing: on a removable or CD-ROM drive, creates the folder's thumbnail folder and
// every folder above it when it is missing. Failures are ignored; other drives need nothing.
void PrepareThumbnailFolder(const std::string& folder, const std::string& appFolder);

// Decodes the image and puts its thumbnail file in place, hidden. The file is written under a
// temporary name in the same folder and renamed when complete, so an interrupted write never
// leaves a damaged thumbnail file; an existing thumbnail file is never replaced. True when this
// call put the file in place; false for an image that cannot be read or a file that cannot be
// written (nothing is shown).
bool MakeThumbnailFile(const std::string& imagePath, const std::string& thumbPath);

// Deletes the thumbnail files of `folder` (the "*.cpg" files of its thumbnail folder) and any
// temporary files an interrupted writer left there. Failures are ignored.
void PurgeThumbnailFiles(const std::string& folder, const std::string& appFolder);

// True when a file or folder of that name exists.
bool PathExists(const std::string& path);

// Tests watch the writers through this: called when a thread begins making a thumbnail file
// (true) and when it is done (false). Null, the default, watches nothing.
using ThumbnailWriteObserver = void (*)(const std::string& thumbPath, bool starting);
void SetThumbnailWriteObserver(ThumbnailWriteObserver observer);
