// Run with the source manager's library switched off for this process (see CMakeLists.txt).
#include <string>

#include "scan/Twain.h"
#include "tests/scan/TwainFixture.h"

namespace {

using NoManager = TwainTest;

TEST_F(NoManager, TheProgramRunsWithoutAScannerAndBothCommandsEndSilently) {
  StartIn(pictures_.Path());
  EXPECT_EQ(Frame()->State(), 1);
  EXPECT_FALSE(Frame()->IsAvailable());
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_TWAIN_SELECT_SOURCE));
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_TWAIN_ACQUIRE));
  Command(ID_TWAIN_SELECT_SOURCE);
  Command(ID_TWAIN_ACQUIRE);
  PumpMessages(200);
  EXPECT_EQ(Frame()->State(), 1);
  EXPECT_FALSE(CTwain::ManagerLoaded());
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_TRUE(Log().empty());  // the source was never loaded
  EXPECT_TRUE(ScanFiles(pictures_.Path()).empty());
}

}  // namespace
