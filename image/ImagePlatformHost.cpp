#include <cctype>
#include <filesystem>
#include <mutex>
#include <set>

#include "image/ImagePlatform.h"
#include "image/ImagePlatformHost.h"

namespace image_platform {
namespace {

struct HostState {
  std::mutex lock;
  std::vector<HostMessage> messages;
  std::set<char> removable;
};

HostState& State() {
  static HostState state;
  return state;
}

}  // namespace

void ShowMessage(const char* text, const char* caption) {
  std::lock_guard<std::mutex> hold(State().lock);
  State().messages.push_back({text ? text : "", caption ? caption : ""});
}

bool IsRemovableOrCdRom(char letter) {
  std::lock_guard<std::mutex> hold(State().lock);
  return State().removable.count(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))) != 0;
}

bool CopyFileIfAbsent(const char* from, const char* to) {
  std::error_code error;
  return std::filesystem::copy_file(from, to, std::filesystem::copy_options::none, error);
}

std::vector<HostMessage> HostMessages() {
  std::lock_guard<std::mutex> hold(State().lock);
  return State().messages;
}

void ClearHostMessages() {
  std::lock_guard<std::mutex> hold(State().lock);
  State().messages.clear();
}

void SetHostRemovableDrive(char letter, bool removable) {
  std::lock_guard<std::mutex> hold(State().lock);
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (removable)
    State().removable.insert(upper);
  else
    State().removable.erase(upper);
}

}  // namespace image_platform
