#pragma once
// Hands files to the user's mail program as attachments of a new message through Simple MAPI.
// "MAPI32.DLL" is loaded by name on first use and kept until the process ends (a failed load is
// tried again next time). User-interface thread only: the call blocks it until the mail program
// returns, with the owner frame disabled meanwhile.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

class CMyListView;

// The longest path a file descriptor carries (a path buffer less its terminator).
inline constexpr std::size_t kMaxMailPath = MAX_PATH - 1;

// One attachment; the strings are the caller's copies and live for the whole call.
struct MailAttachment {
  std::string path;  // full path of the file
  std::string name;  // the name the recipient sees
};

// How a hand-off ended; every outcome but Handled has shown its message.
enum class MailOutcome {
  Handled,         // sent, cancelled by the user or no logon (or nothing to send)
  LibraryMissing,  // "MAPI32.DLL" could not be loaded
  EntryMissing,    // the library has no "MAPISendMail"
  Failed,          // the mail program failed, or a path does not fit a descriptor
};

// Whether a Simple MAPI result counts as handled: success, user abort or logon failure.
bool MailResultHandled(unsigned long result);
// Whether every attachment fits a descriptor whole: a path of 1 to kMaxMailPath characters.
bool AttachmentsFit(const std::vector<MailAttachment>& files);

// The selected items of `list` in ascending item order, as attachments.
std::vector<MailAttachment> SelectedAttachments(const CMyListView& list);

// Mails `files` with `frame` as the owner of the mail program's windows. Shows the wait cursor and
// the failure messages; the frame is enabled, released and focused again on every path.
MailOutcome SendMailAttachments(HWND frame, const std::vector<MailAttachment>& files);
