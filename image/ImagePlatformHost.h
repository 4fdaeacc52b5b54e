#pragma once
// Host stand-in of the image platform seam, for the sanitizer tests: message boxes are recorded,
// and drives are removable or CD-ROM when a test says so.
#include <string>
#include <vector>

namespace image_platform {

struct HostMessage {
  std::string text;
  std::string caption;
};

std::vector<HostMessage> HostMessages();
void ClearHostMessages();
void SetHostRemovableDrive(char letter, bool removable);

}  // namespace image_platform
