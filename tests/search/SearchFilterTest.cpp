#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "browser/FileNames.h"
#include "search/SearchFilter.h"

namespace {

struct Found {
  std::string name;
  std::string annotation;
  int record;
  bool operator==(const Found&) const = default;
};

std::vector<Found> SearchAll(const SearchInput& input, int running = 1) {
  std::vector<Found> rows;
  const std::atomic<int> flag{running};
  RunSearch(input, flag, [&](const SearchRow& row) {
    EXPECT_EQ(row.record == nullptr, row.recordIndex < 0);
    rows.push_back({row.fileName, row.annotation, row.recordIndex});
  });
  return rows;
}

// The walk as the pairing rule states it: every record tried with the wildcard match.
std::vector<Found> PairByMatch(const SearchInput& input) {
  std::vector<Found> rows;
  for (const auto& [name, annotation] : input.annotations) {
    if (!ContainsNoCase(name, input.nameText) || !ContainsNoCase(annotation, input.annotationText)) continue;
    int record = -1;
    for (size_t i = 0; i < input.records.size(); ++i)
      if (MatchName(input.records[i].fileName, name)) record = static_cast<int>(i);
    rows.push_back({name, annotation, record});
  }
  return rows;
}

TEST(SearchFilter, PartsAreFoundIgnoringCaseAndWildcardsAreCharacters) {
  EXPECT_TRUE(ContainsNoCase("Beach.JPG", "h.jp"));
  EXPECT_TRUE(ContainsNoCase("anything", ""));
  EXPECT_FALSE(ContainsNoCase("a.jpg", "*.jpg"));
  EXPECT_TRUE(ContainsNoCase("odd*.jpg", "*.JPG"));
  EXPECT_FALSE(ContainsNoCase("ab", "abc"));
  // Only ASCII letters fold, as the C runtime's upper-casing does.
  EXPECT_FALSE(ContainsNoCase("\xE9t\xE9", "\xC9T\xC9"));
}

TEST(SearchFilter, ByNameEveryRecordInListOrderWithItsExactAnnotation) {
  SearchInput input;
  input.records = {{"b.jpg", 1, 0}, {"A.jpg", 2, 0}, {"c.JPG", 3, 0}};
  input.annotations = {{"a.jpg", "lower case: not this file"}, {"c.JPG", "see"}};
  EXPECT_EQ(SearchAll(input), (std::vector<Found>{{"b.jpg", "", 0}, {"A.jpg", "", 1}, {"c.JPG", "see", 2}}));
  input.nameText = "JPG";
  EXPECT_EQ(SearchAll(input).size(), 3u);
  input.nameText = "c.j";
  EXPECT_EQ(SearchAll(input), (std::vector<Found>{{"c.JPG", "see", 2}}));
  EXPECT_TRUE(SearchAll(input, 0).empty());
}

TEST(SearchFilter, ByAnnotationPairsNamesAsTheWildcardMatchDoes) {
  SearchInput input;
  const std::string longA = std::string(130, 'x') + "a.jpg";
  const std::string longB = std::string(130, 'x') + "b.jpg";  // the same first 127 characters
  input.records = {{"a.jpg", 1, 0}, {"B.JPG", 1, 0}, {longA, 1, 0}, {"odd?.jpg", 1, 0}, {"b.jpg", 1, 0}};
  input.annotations = {{"A.JPG", "beach one"},  {"b.jpg", "beach two"}, {longB, "beach long"},
                       {"odd1.jpg", "beach ?"}, {"gone.jpg", "beach"},  {"a.jpg", "mountain"}};
  input.annotationText = "BEACH";
  const std::vector<Found> rows = SearchAll(input);
  EXPECT_EQ(rows, PairByMatch(input));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (Found{"A.JPG", "beach one", 0}));
  EXPECT_EQ(rows[1], (Found{"b.jpg", "beach two", 4}));  // the last of B.JPG and b.jpg
  EXPECT_EQ(rows[2], (Found{"gone.jpg", "beach", -1}));
  EXPECT_EQ(rows[3], (Found{"odd1.jpg", "beach ?", 3}));
  EXPECT_EQ(rows[4], (Found{longB, "beach long", 2}));
  input.nameText = "GONE";
  EXPECT_EQ(SearchAll(input), (std::vector<Found>{{"gone.jpg", "beach", -1}}));
}

TEST(SearchFilter, ANameWithAnEmbeddedNulPairsUpToTheNulAsTheWildcardMatchDoes) {
  // A damaged store may hold such a name; the match compares it as a C string.
  SearchInput input;
  input.records = {{"a.jpg", 1, 0}, {"b.jpg", 1, 0}};
  input.annotations = {{std::string("a.jpg\0x", 7), "beach"}, {std::string("b.jpg\0", 6), "beach"}};
  input.annotationText = "beach";
  const std::vector<Found> rows = SearchAll(input);
  EXPECT_EQ(rows, PairByMatch(input));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].record, 0);
  EXPECT_EQ(rows[1].record, 1);
}

TEST(SearchFilter, ManyAnnotationsPairTheSameAsMatchingEveryPair) {
  SearchInput input;
  for (int i = 0; i < 400; ++i) {
    const std::string name = "img" + std::to_string(i) + (i % 2 ? ".JPG" : ".jpg");
    input.records.push_back({name, static_cast<uint32_t>(i), i});
    if (i % 3 == 0) input.annotations["IMG" + std::to_string(i) + ".jpg"] = "note " + std::to_string(i);
    if (i % 7 == 0) input.annotations["missing" + std::to_string(i) + ".jpg"] = "note";
  }
  input.annotationText = "note";
  EXPECT_EQ(SearchAll(input), PairByMatch(input));
  input.nameText = "1";
  EXPECT_EQ(SearchAll(input), PairByMatch(input));
}

TEST(SearchFilter, AStopFlagEndsTheWalkAtTheNextStep) {
  SearchInput input;
  for (int i = 0; i < 10; ++i) input.records.push_back({"f" + std::to_string(i) + ".jpg", 1, 0});
  std::atomic<int> running{1};
  int rows = 0;
  RunSearch(input, running, [&](const SearchRow&) {
    if (++rows == 3) running.store(0);
  });
  EXPECT_EQ(rows, 3);
}

}  // namespace
