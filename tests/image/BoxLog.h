#pragma once
// The message boxes shown while an instance lives: through the framework's recorder on Windows,
// through the image platform's stand-in on the host.
#include <string>
#include <vector>

#ifdef _WIN32
#include "framework/MessageBox.h"
#else
#include "image/ImagePlatformHost.h"
#endif

struct ShownBox {
  std::string text;
  std::string caption;
};

class BoxLog {
 public:
#ifdef _WIN32
  std::vector<ShownBox> Boxes() const {
    std::vector<ShownBox> boxes;
    for (const MessageBoxRecord& box : recorder_.Boxes()) boxes.push_back({box.text, box.caption});
    return boxes;
  }

 private:
  MessageBoxRecorder recorder_;
#else
  BoxLog() { image_platform::ClearHostMessages(); }
  ~BoxLog() { image_platform::ClearHostMessages(); }
  std::vector<ShownBox> Boxes() const {
    std::vector<ShownBox> boxes;
    for (const auto& box : image_platform::HostMessages()) boxes.push_back({box.text, box.caption});
    return boxes;
  }
#endif
};
