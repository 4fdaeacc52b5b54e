#pragma once
// The running program listing a folder of files with given names and sizes. Every image gets a
// thumbnail file beforehand and the list shows report mode, so that no worker relists the folder
// behind a test's back and no picture is decoded.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "framework/Thread.h"
#include "tests/app/AppFixture.h"
#include "tests/support/TempDir.h"

class FolderTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(app_.InitInstance());
    list_ = Frame()->ListView();
    list_->ToggleDisplayMode();
    Frame()->SetActiveView(list_);
  }
  void TearDown() override {
    AppTest::TearDown();
    PumpUntil([] { return AfxRunningWorkerCount() == 0; }, 10000);
  }
  void AddFile(const std::string& name, size_t size = 10) {
    ASSERT_TRUE(WriteTestFile(dir_ / name, std::string(size, 'j')));
    const std::string thumb = dir_ / (name.substr(0, name.rfind('.')) + ".cpg");
    ASSERT_TRUE(WriteTestFile(thumb, ""));
  }
  void List() {
    list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(dir_.Path().c_str()));
    ASSERT_TRUE(PumpUntil([] { return AfxRunningWorkerCount() == 0; }, 10000));
    PumpMessages();
  }
  int IndexOf(const std::string& name) const {
    const auto& records = list_->Records();
    for (size_t i = 0; i < records.size(); ++i)
      if (records[i].fileName == name) return static_cast<int>(i);
    return -1;
  }
  void Select(const std::vector<std::string>& names) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (const std::string& name : names) {
      LVITEMA item{};
      item.stateMask = item.state = LVIS_SELECTED;
      list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(IndexOf(name)), reinterpret_cast<LPARAM>(&item));
    }
  }
  std::string StoreBytes() const { return ReadTestFile(dir_ / "Annotations"); }
  bool StoreExists() const { return GetFileAttributesA((dir_ / "Annotations").c_str()) != INVALID_FILE_ATTRIBUTES; }

  TempDir dir_;
  CMyListView* list_ = nullptr;
};

// The bytes of one store record.
inline std::string StoreRecord(const std::string& name, const std::string& text) {
  std::string out;
  out.push_back(static_cast<char>(name.size() & 0xFF));
  out.push_back(static_cast<char>(name.size() >> 8));
  out += name;
  out.push_back(static_cast<char>(text.size() & 0xFF));
  out.push_back(static_cast<char>(text.size() >> 8));
  out += text;
  return out;
}
