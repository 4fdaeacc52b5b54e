// Without a printer (this program's process sees no spooler): a clear message and no job.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "framework/PrintPreview.h"
#include "image/JpegFile.h"
#include "tests/app/AppFixture.h"
#include "tests/support/TempDir.h"

namespace {

class NoPrinter : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(app_.InitInstance());
    std::vector<uint8_t> rgb(64 * 48 * 3, 128);
    ASSERT_TRUE(WriteJpegRgb((dir_ / "one.jpg").c_str(), rgb.data(), 64, 48, 90));
    Frame()->ListView()->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(dir_.Path().c_str()));
    Frame()->SetActiveView(Frame()->ListView());
  }
  TempDir dir_;
};

TEST_F(NoPrinter, PrintSaysSoAndStartsNoJob) {
  ASSERT_TRUE(Frame()->IsCommandEnabled(ID_FILE_PRINT));
  Command(ID_FILE_PRINT);
  PumpMessages();
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kNoPrinterText);
  EXPECT_EQ(Frame()->ListView()->LastPrintOutcome(), PrintOutcome::NotStarted);
  EXPECT_EQ(g_imagesPerPage, -1);
  EXPECT_TRUE(AfxPrinterDefaults()->Empty());
}

TEST_F(NoPrinter, PreviewSaysSoAndOpensNothing) {
  Command(ID_FILE_PRINT_PREVIEW);
  PumpMessages();
  EXPECT_EQ(ActivePrintPreview(), nullptr);
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kNoPrinterText);
  EXPECT_EQ(Frame()->ListView()->PrintPageCount(), -1);
}

}  // namespace
