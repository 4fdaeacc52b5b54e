#pragma once
// A folder's annotation store on disk. Any thread may call these; each call opens and closes the
// file itself.
#include <string>
#include <vector>

#include "browser/AnnotationStore.h"

inline constexpr char kAnnotationFileName[] = "Annotations";

// The store of `folder` by the path join rule.
std::string AnnotationPathOf(const std::string& folder);

// Reads every complete record of the store at `path` into `map` (entries of other names stay).
// False, with nothing read, when the store cannot be opened (missing, or being written).
bool ReadAnnotationFile(const std::string& path, AnnotationMap& map);

// Creates an empty store when there is none; false when it cannot be opened or created.
bool TouchAnnotationFile(const std::string& path);

// Appends one record per name, all with `text`, in one write. A record cut short at the end of
// the store is dropped first, so that the new records can be read; a short write is undone. A text
// longer than the readers accept is cut; a name is never cut (that would annotate another file)
// and one that does not fit gets no record. Records of an earlier version in the legacy code page
// read as UTF-8. False when the store cannot be opened (another program
// is writing it, a read-only medium) or the write failed; the store is then as it was.
bool AppendAnnotations(const std::string& path, const std::vector<std::string>& names, const std::string& text);
