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

enum class AnnotationWrite {
  kAppended,
  kDamaged,      // the store does not read as records to its end; left exactly as it was
  kInUse,        // another program kept it open for writing
  kNotWritable,  // read-only file, folder or medium, "Annotations" is a folder, a failed write
};

// Appends one record per name, all with `text`, in one write. Only the beginning of a record cut
// short at the end of the store is dropped first, so that the new records can be read; a store
// with anything else after its records is not touched. A short write is undone. A text longer
// than the readers accept is cut; a name is never cut (that would annotate another file) and one
// that does not fit gets no record. Records of an earlier version in the legacy code page read as
// UTF-8. Waits about a second for another program that holds the
// store. Unless kAppended, the store is as it was.
AnnotationWrite AppendAnnotations(const std::string& path, const std::vector<std::string>& names,
                                  const std::string& text);
