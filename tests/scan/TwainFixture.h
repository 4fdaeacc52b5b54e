#pragma once
// Scanner tests run the real program windows against Wine's source manager and the test source
// of tools/, installed as the manager's "sane.ds" and scripted through a file.
#include <windows.h>

#include <string>
#include <vector>

#include "app/Resource.h"
#include "tests/app/AppFixture.h"
#include "tests/support/TempDir.h"

// Copies the test source into the prefix under the name the manager loads; true when it is there.
bool InstallTestSource();

class TwainTest : public AppTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the source's script for the next calls.
  void Script(const std::string& text);
  // The source's log, one line per call.
  std::vector<std::string> Log() const;
  // Log lines that begin with `head`.
  int CountLog(const std::string& head) const;
  // Starts the program and lists `folder` ("": no folder at all).
  void StartIn(const std::string& folder);
  void Acquire() { Command(ID_TWAIN_ACQUIRE); }
  // Pumps until the frame's scanner state is `state` and the queue is empty.
  bool PumpUntilState(int state, DWORD timeoutMs = 5000);
  // Numbered scan files of `folder`, sorted.
  std::vector<std::string> ScanFiles(const std::string& folder) const;
  // BMP files of `folder`, hidden ones too, sorted.
  std::vector<std::string> BmpFiles(const std::string& folder) const;

  TempDir work_;
  TempDir pictures_;
  std::string script_;
  std::string log_;
};

// The colour (0xRRGGBB) of a JPEG's middle pixel, or 0xFFFFFFFF.
unsigned MiddleColor(const std::string& path);
// Records the scanner state of `frame` as its window receives WM_NCDESTROY, after its own
// WM_DESTROY handling; -1 until then. One at a time.
class FinalStateWatch {
 public:
  explicit FinalStateWatch(CMainFrame* frame);
  ~FinalStateWatch();
  FinalStateWatch(const FinalStateWatch&) = delete;
  FinalStateWatch& operator=(const FinalStateWatch&) = delete;
  int State() const;

 private:
  HHOOK hook_ = nullptr;
};

// True when two colours differ by little in each channel (JPEG rounding).
bool NearColor(unsigned a, unsigned b);
