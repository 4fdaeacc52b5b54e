// Entry point of every Wine test executable: all message boxes are recorded and answered for the
// whole run, so a test that forgets its own recorder still never blocks.
#include <gtest/gtest.h>

#include "framework/MessageBox.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  MessageBoxRecorder noBlockingBoxes;
  return RUN_ALL_TESTS();
}
