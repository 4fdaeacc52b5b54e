#pragma once
// The record format of a folder's "Annotations" file: appended records of a 16-bit little-endian
// name length, the name, a 16-bit little-endian text length and the text. Pure byte work, no
// Windows calls; browser/AnnotationFile does the file access.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// Names and texts are UTF-8. Readers keep a name and a text each in a buffer that holds 260
// characters of UTF-8 (3 bytes a character): longer parts are refused.
inline constexpr size_t kMaxAnnotationPart = 3 * 260 - 1;

// Turns a part written by an earlier version in the system's legacy code page into UTF-8.
using LegacyTextConverter = std::string (*)(std::string_view);

using AnnotationMap = std::map<std::string, std::string>;

struct AnnotationParse {
  // Bytes up to the end of the last complete record; what follows is a record cut short, or bytes
  // that do not read as records.
  size_t completeEnd = 0;
  size_t records = 0;  // complete records, refused ones included
  size_t refused = 0;  // complete records with a part longer than kMaxAnnotationPart
};

// Reads the records of `bytes` in order into `map` (the last record of a name wins, names compared
// exactly). A record with a part longer than kMaxAnnotationPart is skipped and reading goes on; a
// record cut short by the end of the bytes ends the reading. A part that is not valid UTF-8 was
// written in the legacy code page: `fromLegacy`, when given, converts it.
AnnotationParse ParseAnnotations(std::string_view bytes, AnnotationMap& map, LegacyTextConverter fromLegacy = nullptr);

// True when `tail`, the bytes after the last complete record, can be the beginning of a record that
// readers accept (its lengths, as far as present, at most kMaxAnnotationPart): what an append that
// stopped short leaves. Anything else after the last record is not ours to cut.
bool IsRecordBeginning(std::string_view tail);

// Whether `text` is well-formed UTF-8 (ASCII is).
bool IsValidUtf8(std::string_view text);

// `part` cut to at most kMaxAnnotationPart bytes, never inside a character: with `isLeadByte`, of
// a double-byte code page (a cut that would leave a lead byte last drops that byte too); without,
// of UTF-8.
std::string CutAnnotationPart(std::string_view part, bool (*isLeadByte)(unsigned char) = nullptr);

// Appends one record of `name` and `text` to `out`; both must be at most kMaxAnnotationPart long.
// (A name is never cut to fit: a cut name is another file's name.)
void AppendAnnotationRecord(std::string& out, std::string_view name, std::string_view text);
