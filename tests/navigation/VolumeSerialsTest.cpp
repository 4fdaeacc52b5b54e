#include <gtest/gtest.h>

#include "navigation/VolumeSerials.h"

namespace {

constexpr int kDriveK = 10;

TEST(VolumeSerialTable, AChangedMediumFailsExactlyOneCheck) {
  VolumeSerialTable table;
  table.Remember(kDriveK, 0x1111);
  EXPECT_TRUE(table.Check(kDriveK, 0x1111));
  EXPECT_FALSE(table.Check(kDriveK, 0x2222));
  EXPECT_EQ(table.Stored(kDriveK), 0x2222u);
  EXPECT_TRUE(table.Check(kDriveK, 0x2222));
}

TEST(VolumeSerialTable, AnEmptyDriveFailsAndItsFirstDiscPasses) {
  VolumeSerialTable table;
  table.Remember(kDriveK, std::nullopt);
  EXPECT_FALSE(table.Check(kDriveK, std::nullopt));
  EXPECT_FALSE(table.Stored(kDriveK).has_value());
  EXPECT_TRUE(table.Check(kDriveK, 0x1234));
  EXPECT_EQ(table.Stored(kDriveK), 0x1234u);
  // Taking the disc out again fails, and so does its return only if it is another disc.
  EXPECT_FALSE(table.Check(kDriveK, std::nullopt));
  EXPECT_TRUE(table.Check(kDriveK, 0x1234));
  // A drive never seen before takes its first medium as the known one.
  EXPECT_TRUE(table.Check(3, 0x9999));
}

TEST(VolumeSerialTable, SerialFFFFFFFFIsAMediumNotAnEmptyDrive) {
  VolumeSerialTable table;
  table.Remember(kDriveK, 0x1111);
  EXPECT_FALSE(table.Check(kDriveK, 0xFFFFFFFF));
  EXPECT_TRUE(table.Check(kDriveK, 0xFFFFFFFF));
  EXPECT_FALSE(table.Check(kDriveK, 0x1111));
}

TEST(VolumeSerialTable, IndexesOutsideTheDriveLettersStoreNothing) {
  VolumeSerialTable table;
  table.Remember(26, 0x1);
  table.Remember(-1, 0x1);
  EXPECT_TRUE(table.Check(-1, 0x5));
  EXPECT_FALSE(table.Check(26, std::nullopt));
  EXPECT_FALSE(table.Stored(26).has_value());
  EXPECT_FALSE(table.Stored(-1).has_value());
}

}  // namespace
