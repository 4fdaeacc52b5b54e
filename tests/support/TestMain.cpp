// Entry point of every Wine test executable: all message boxes are recorded and answered for the
// whole run, so a test that forgets its own recorder still never blocks.
#include <gtest/gtest.h>

#include "framework/MessageBox.h"
#include "framework/WinApp.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  MessageBoxRecorder noBlockingBoxes;
  // Workers of the last tests may still run: stop them as the program does at its end.
  return AfxEndProcess(RUN_ALL_TESTS());
}
