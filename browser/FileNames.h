#pragma once
// File name matching and path text helpers of the browser. Pure string work: no Windows calls
// beyond the one seam below. Names are in the A functions' code page (UTF-8 under the program's
// manifest). Case folding is the same for every caller, so that sorting and matching agree:
// ASCII letters by themselves, other letters through the platform's file name upper case.
#include <cstdint>
#include <string>
#include <string_view>

// The platform's seam: `name` with every letter upper-cased as the system compares file names
// (FileNamesWin.cpp; the host build's FileNamesHost.cpp folds ASCII only). Unchanged when it is
// not valid text of the code page.
std::string UpperCaseName(std::string_view name);

// Case-insensitive three-way compare (letters folded: ASCII to lower case, others to upper case;
// bytes unsigned), like _stricmp in the C locale for ASCII names: <0, 0 or >0.
int CompareNoCase(std::string_view a, std::string_view b);

// True when `text` begins with `head`, ignoring case.
bool StartsWithNoCase(std::string_view text, std::string_view head);

// Wildcard match with `*` and `?` (one character, however many bytes), case-insensitive, over the
// first 127 characters of each string. Deliberately simple: a literal segment between wildcards is matched at its first
// occurrence only (no backtracking), and a segment at the pattern's end must end the text.
bool MatchName(std::string_view pattern, std::string_view text);
// What MatchName compares of a name: at most 127 characters, up to an embedded NUL (as a C string
// copy would stop), upper-cased. Names without wildcards match exactly when these are equal.
std::string MatchCopy(std::string_view name);

// Whether two folder paths name the same folder: compared without case, a drive root written
// with or without its separator ("C:" and "C:\").
bool SameFolder(std::string_view a, std::string_view b);

// Joins two path pieces with exactly one backslash; when either is empty, simply a + b.
std::string PathJoin(std::string_view a, std::string_view b);

struct FolderAndMask {
  std::string folder;
  std::string mask;
};

// Splits a trailing wildcard mask off a path ("C:\pics\*.jpg" -> "C:\pics" + "*.jpg"); a path
// without one is all folder, with the mask "*.*".
FolderAndMask SplitMask(std::string_view path);

// The form a scan stores for `path`: with value 0 and a base, the part behind `base` (or the
// whole path if it is not under it) joined behind `prefix`; otherwise `path` unchanged.
std::string RelativeForm(std::string_view path, std::string_view base, std::string_view prefix, int value);
