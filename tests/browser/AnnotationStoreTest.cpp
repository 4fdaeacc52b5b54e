#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>

#include "browser/AnnotationFile.h"
#include "browser/AnnotationStore.h"
#include "tests/support/TempDir.h"

namespace {

std::string Record(const std::string& name, const std::string& text) {
  std::string out;
  AppendAnnotationRecord(out, name, text);
  return out;
}

// A part longer than the readers' buffers.
constexpr size_t kTooLong = kMaxAnnotationPart + 41;

// A record with raw lengths, for stores written by other software.
std::string RawRecord(size_t nameLength, char nameFill, size_t textLength, char textFill) {
  std::string out;
  out.push_back(static_cast<char>(nameLength & 0xFF));
  out.push_back(static_cast<char>(nameLength >> 8));
  out.append(nameLength, nameFill);
  out.push_back(static_cast<char>(textLength & 0xFF));
  out.push_back(static_cast<char>(textLength >> 8));
  out.append(textLength, textFill);
  return out;
}

const std::string kBeach = std::string("\x05\x00", 2) + "a.jpg" + std::string("\x0B\x00", 2) + "Beach, 2001";

TEST(AnnotationRecords, TheWorkedRecordIsTwentyBytes) {
  EXPECT_EQ(Record("a.jpg", "Beach, 2001"), kBeach);
  EXPECT_EQ(kBeach.size(), 20u);
  AnnotationMap map;
  AnnotationParse parse = ParseAnnotations(kBeach, map);
  EXPECT_EQ(parse.completeEnd, 20u);
  EXPECT_EQ(parse.records, 1u);
  ASSERT_EQ(map.size(), 1u);
  EXPECT_EQ(map["a.jpg"], "Beach, 2001");
}

TEST(AnnotationRecords, TheLastRecordOfANameWinsAndNamesAreCaseSensitive) {
  AnnotationMap map{{"old.jpg", "kept"}};
  ParseAnnotations(kBeach + Record("A.JPG", "upper") + Record("a.jpg", "Sunset"), map);
  EXPECT_EQ(map["a.jpg"], "Sunset");
  EXPECT_EQ(map["A.JPG"], "upper");
  EXPECT_EQ(map["old.jpg"], "kept");  // reading never empties the map
  EXPECT_EQ(map.size(), 3u);
}

TEST(AnnotationRecords, AnEmptyTextIsAnAnnotationAndReadingGoesOn) {
  AnnotationMap map;
  const std::string store = kBeach + Record("a.jpg", "") + Record("b.jpg", "later");
  AnnotationParse parse = ParseAnnotations(store, map);
  EXPECT_EQ(parse.records, 3u);
  EXPECT_EQ(parse.completeEnd, store.size());
  ASSERT_EQ(map.count("a.jpg"), 1u);
  EXPECT_EQ(map["a.jpg"], "");
  EXPECT_EQ(map["b.jpg"], "later");
}

TEST(AnnotationRecords, EveryCutGivesTheCompleteRecordsBeforeIt) {
  const std::string first = Record("a.jpg", "one");
  const std::string second = Record("b.jpg", "");
  const std::string third = Record("c.jpg", "three\r\nlines");
  const std::string store = first + second + third;
  for (size_t cut = 0; cut <= store.size(); ++cut) {
    AnnotationMap map;
    AnnotationParse parse = ParseAnnotations(std::string_view(store).substr(0, cut), map);
    size_t expected = 0;
    for (size_t end : {first.size(), first.size() + second.size(), store.size()}) {
      if (cut >= end) ++expected;
    }
    EXPECT_EQ(parse.records, expected) << "cut at " << cut;
    EXPECT_EQ(map.size(), expected) << "cut at " << cut;
    EXPECT_LE(parse.completeEnd, cut);
    if (expected == 3) {
      EXPECT_EQ(map["c.jpg"], "three\r\nlines");
    }
  }
}

TEST(AnnotationRecords, OnlyTheBeginningOfARecordMayBeCutOff) {
  const std::string record = Record("b.jpg", "lost text");
  for (size_t cut = 0; cut < record.size(); ++cut) EXPECT_TRUE(IsRecordBeginning(record.substr(0, cut))) << cut;
  EXPECT_FALSE(IsRecordBeginning(record));
  EXPECT_FALSE(IsRecordBeginning("Trip notes\r\n"));
  EXPECT_FALSE(IsRecordBeginning(RawRecord(kTooLong, 'n', 0, 't').substr(0, 10)));
  EXPECT_FALSE(IsRecordBeginning(RawRecord(5, 'n', kTooLong, 't').substr(0, 20)));
  const std::string longest = RawRecord(kMaxAnnotationPart, 'n', kMaxAnnotationPart, 't');
  EXPECT_TRUE(IsRecordBeginning(longest.substr(0, longest.size() - 1)));
}

TEST(AnnotationRecords, APartLongerThanTheBuffersIsSkippedAndReadingGoesOn) {
  AnnotationMap map;
  const std::string store = RawRecord(kTooLong, 'n', 3, 't') + RawRecord(5, 'x', kTooLong, 't') +
                            RawRecord(kMaxAnnotationPart, 'm', kMaxAnnotationPart, 'u') + Record("b.jpg", "after");
  AnnotationParse parse = ParseAnnotations(store, map);
  EXPECT_EQ(parse.records, 4u);
  EXPECT_EQ(parse.refused, 2u);
  EXPECT_EQ(parse.completeEnd, store.size());
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(map[std::string(kMaxAnnotationPart, 'm')], std::string(kMaxAnnotationPart, 'u'));
  EXPECT_EQ(map["b.jpg"], "after");
}

TEST(AnnotationRecords, RandomBytesKeepEveryPartWithinTheBuffers) {
  uint32_t seed = 12345;
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const size_t size = seed % 2000;
    for (size_t i = 0; i < size; ++i) {
      seed = seed * 1103515245u + 12345u;
      // Small lengths now and then, so that some records are complete.
      bytes.push_back(static_cast<char>((i % 7 == 1) ? 0 : (seed >> 16) % ((i % 3) ? 8 : 256)));
    }
    AnnotationMap map;
    AnnotationParse parse = ParseAnnotations(bytes, map);
    EXPECT_LE(parse.completeEnd, bytes.size());
    for (const auto& [name, text] : map) {
      EXPECT_LE(name.size(), kMaxAnnotationPart);
      EXPECT_LE(text.size(), kMaxAnnotationPart);
    }
    // The complete part alone reads the same.
    AnnotationMap again;
    ParseAnnotations(std::string_view(bytes).substr(0, parse.completeEnd), again);
    EXPECT_EQ(again, map);
  }
}

bool OddLeadByte(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

TEST(AnnotationRecords, LongPartsAreCutOnACharacterBoundary) {
  const size_t limit = kMaxAnnotationPart;
  EXPECT_EQ(CutAnnotationPart(std::string(kTooLong, 'a')), std::string(limit, 'a'));
  EXPECT_EQ(CutAnnotationPart("short"), "short");
  // UTF-8: a three-byte character that would straddle the limit goes whole.
  const std::string snowman = "\xE2\x98\x83";
  EXPECT_EQ(CutAnnotationPart(std::string(limit - 2, 'a') + snowman + snowman), std::string(limit - 2, 'a'));
  EXPECT_EQ(CutAnnotationPart(std::string(limit - 3, 'a') + snowman + snowman), std::string(limit - 3, 'a') + snowman);
  // limit - 1 single bytes, then a double-byte character that would straddle the limit.
  std::string text(limit - 1, 'a');
  text += "\x82\xA0\x82\xA0";
  EXPECT_EQ(CutAnnotationPart(text, &OddLeadByte), std::string(limit - 1, 'a'));
  EXPECT_EQ(CutAnnotationPart(std::string(limit - 2, 'a') + "\x82\xA0\x82\xA0", &OddLeadByte),
            std::string(limit - 2, 'a') + "\x82\xA0");
  // A trail byte that looks like a lead byte is not taken for one.
  std::string pairs;
  for (size_t i = 0; i < limit; ++i) pairs += "\x82\x82";
  EXPECT_EQ(CutAnnotationPart(pairs, &OddLeadByte).size(), limit - 1);
}

class AnnotationFile : public testing::Test {
 protected:
  std::string Store() const { return AnnotationPathOf(dir_.Path()); }
  TempDir dir_;
};

TEST_F(AnnotationFile, AppendingToAFolderWithoutAStoreWritesTheWorkedBytes) {
  EXPECT_EQ(AnnotationPathOf("D:\\"), "D:\\Annotations");
  EXPECT_EQ(AnnotationPathOf("D:\\Photos"), "D:\\Photos\\Annotations");
  ASSERT_EQ(AppendAnnotations(Store(), {"a.jpg"}, "Beach, 2001"), AnnotationWrite::kAppended);
  EXPECT_EQ(ReadTestFile(Store()), kBeach);
  ASSERT_EQ(AppendAnnotations(Store(), {"a.jpg", "b.jpg", "c.jpg"}, "x"), AnnotationWrite::kAppended);
  EXPECT_EQ(ReadTestFile(Store()), kBeach + Record("a.jpg", "x") + Record("b.jpg", "x") + Record("c.jpg", "x"));
  AnnotationMap map;
  ASSERT_TRUE(ReadAnnotationFile(Store(), map));
  EXPECT_EQ(map.size(), 3u);
  EXPECT_EQ(map["a.jpg"], "x");
}

TEST_F(AnnotationFile, AMissingStoreIsNotReadAndTouchingCreatesItEmpty) {
  AnnotationMap map{{"kept.jpg", "k"}};
  EXPECT_FALSE(ReadAnnotationFile(Store(), map));
  EXPECT_EQ(map.size(), 1u);
  EXPECT_TRUE(TouchAnnotationFile(Store()));
  EXPECT_EQ(ReadTestFile(Store()), "");
  EXPECT_TRUE(ReadAnnotationFile(Store(), map));
  EXPECT_FALSE(TouchAnnotationFile(dir_ / "no such folder\\Annotations"));
}

TEST_F(AnnotationFile, AnAppendAfterARecordCutShortIsReadBack) {
  const std::string cut = Record("b.jpg", "lost text").substr(0, 9);
  ASSERT_TRUE(WriteTestFile(Store(), kBeach + cut));
  ASSERT_EQ(AppendAnnotations(Store(), {"c.jpg"}, "found"), AnnotationWrite::kAppended);
  EXPECT_EQ(ReadTestFile(Store()), kBeach + Record("c.jpg", "found"));
  AnnotationMap map;
  ASSERT_TRUE(ReadAnnotationFile(Store(), map));
  EXPECT_EQ(map["c.jpg"], "found");
  EXPECT_EQ(map.count("b.jpg"), 0u);
}

TEST_F(AnnotationFile, RefusedRecordsOfOtherSoftwareStayWhenAppending) {
  const std::string foreign = RawRecord(kTooLong, 'n', 1, 't');
  ASSERT_TRUE(WriteTestFile(Store(), foreign));
  ASSERT_EQ(AppendAnnotations(Store(), {"a.jpg"}, "Beach, 2001"), AnnotationWrite::kAppended);
  EXPECT_EQ(ReadTestFile(Store()), foreign + kBeach);
  // Behind records that are not ours, even a tail that looks like a beginning is not cut.
  ASSERT_TRUE(WriteTestFile(Store(), foreign + "\x05"));
  EXPECT_EQ(AppendAnnotations(Store(), {"a.jpg"}, "Beach, 2001"), AnnotationWrite::kDamaged);
  EXPECT_EQ(ReadTestFile(Store()), foreign + "\x05");
}

TEST_F(AnnotationFile, ATextLongerThanReadersAcceptIsCutANameNever) {
  ASSERT_EQ(AppendAnnotations(Store(), {std::string(kTooLong, 'n'), "a.jpg"}, std::string(kTooLong, 't')),
            AnnotationWrite::kAppended);
  EXPECT_EQ(ReadTestFile(Store()), Record("a.jpg", std::string(kMaxAnnotationPart, 't')));
}

TEST_F(AnnotationFile, AStoreBeingWrittenByAnotherProgramIsLeftAlone) {
  ASSERT_TRUE(WriteTestFile(Store(), kBeach));
  HANDLE writer = CreateFileA(Store().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(AppendAnnotations(Store(), {"b.jpg"}, "interleaved"), AnnotationWrite::kInUse);
  AnnotationMap map;
  EXPECT_FALSE(ReadAnnotationFile(Store(), map));
  CloseHandle(writer);
  EXPECT_EQ(ReadTestFile(Store()), kBeach);
  // And while we append, nobody else can write.
  HANDLE reader = CreateFileA(Store().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(AppendAnnotations(Store(), {"b.jpg"}, "while read"), AnnotationWrite::kAppended);
  CloseHandle(reader);
  // A program that lets go within about a second is waited for.
  writer = CreateFileA(Store().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                       nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  std::thread release([writer] {
    Sleep(300);
    CloseHandle(writer);
  });
  EXPECT_EQ(AppendAnnotations(Store(), {"c.jpg"}, "waited"), AnnotationWrite::kAppended);
  release.join();
  EXPECT_EQ(ReadTestFile(Store()), kBeach + Record("b.jpg", "while read") + Record("c.jpg", "waited"));
}

TEST_F(AnnotationFile, ALargeStoreIsReadAcrossChunks) {
  std::string store;
  for (int i = 0; i < 30000; ++i) store += Record("file" + std::to_string(i) + ".jpg", std::string(200, 'x'));
  ASSERT_GT(store.size(), 5u << 20);
  ASSERT_TRUE(WriteTestFile(Store(), store + "\x05"));
  AnnotationMap map;
  ASSERT_TRUE(ReadAnnotationFile(Store(), map));
  EXPECT_EQ(map.size(), 30000u);
  ASSERT_EQ(AppendAnnotations(Store(), {"last.jpg"}, "end"), AnnotationWrite::kAppended);
  EXPECT_EQ(ReadTestFile(Store()).size(), store.size() + Record("last.jpg", "end").size());
}

}  // namespace
