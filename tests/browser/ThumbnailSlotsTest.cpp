#include <gtest/gtest.h>

#include "browser/ThumbnailSlots.h"

namespace {

TEST(ThumbnailSlots, TheBudgetDecidesHowManyPicturesAreKept) {
  // 504 x 504 x 3 = 762,048 bytes a picture: 66 fit the 48 MB budget.
  EXPECT_EQ(ThumbnailSlots::SlotCountFor(10000, 504 * 504 * 3), 66);
  EXPECT_EQ(ThumbnailSlots::SlotCountFor(10000, 96 * 96 * 3), 1820);
  EXPECT_EQ(ThumbnailSlots::SlotCountFor(40, 96 * 96 * 3), 40);  // never more than the items
  EXPECT_EQ(ThumbnailSlots::SlotCountFor(0, 96 * 96 * 3), 0);
  // Pictures larger than the budget allows still get a screenful.
  EXPECT_EQ(ThumbnailSlots::SlotCountFor(10000, uint64_t{8} << 20), ThumbnailSlots::kMinSlots);
}

TEST(ThumbnailSlots, TheLeastRecentlyUsedSlotGoesToTheNextItem) {
  ThumbnailSlots slots;
  slots.Reset(10, 3);
  int evicted = 99;
  EXPECT_EQ(slots.Assign(4, evicted), 0);
  EXPECT_EQ(evicted, -1);
  EXPECT_EQ(slots.Assign(5, evicted), 1);
  EXPECT_EQ(slots.Assign(6, evicted), 2);
  EXPECT_EQ(slots.Assign(5, evicted), 1);  // its own slot again
  EXPECT_EQ(evicted, -1);
  slots.Touch(4);  // drawn again: 6 is now the oldest
  EXPECT_EQ(slots.Assign(7, evicted), 2);
  EXPECT_EQ(evicted, 6);
  EXPECT_EQ(slots.SlotOf(6), -1);
  EXPECT_EQ(slots.SlotOf(7), 2);
  EXPECT_EQ(slots.Assign(8, evicted), 1);
  EXPECT_EQ(evicted, 5);
}

TEST(ThumbnailSlots, AReleasedSlotIsTakenBeforeAnyInUse) {
  ThumbnailSlots slots;
  slots.Reset(5, 2);
  int evicted = -1;
  slots.Assign(0, evicted);
  slots.Assign(1, evicted);
  slots.Release(1);
  EXPECT_EQ(slots.SlotOf(1), -1);
  EXPECT_EQ(slots.Assign(2, evicted), 1);
  EXPECT_EQ(evicted, -1);
  EXPECT_EQ(slots.SlotOf(0), 0);
}

TEST(ThumbnailSlots, NoSlotsOrItemsOutOfRangeGiveNone) {
  ThumbnailSlots slots;
  int evicted = 0;
  EXPECT_EQ(slots.Assign(0, evicted), -1);
  slots.Reset(3, 0);
  EXPECT_EQ(slots.Assign(1, evicted), -1);
  slots.Reset(3, 2);
  EXPECT_EQ(slots.Assign(3, evicted), -1);
  EXPECT_EQ(slots.Assign(-1, evicted), -1);
  EXPECT_EQ(slots.SlotOf(7), -1);
  slots.Touch(7);
  slots.Release(-2);
}

}  // namespace
