#include "image/Reduce.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>
#include <random>
#include <vector>

#include "image/ImageSettings.h"

namespace {

// Adds in double precision and stores the sum back in single precision, as the reduction does.
void Accumulate(float& sum, double term) { sum = static_cast<float>(sum + term); }

// The reduction exactly as the algorithm is written: weights walked in integers, every product
// of two weights formed in double, multiplied by the byte and added, in source order, to
// single-precision accumulators; output rows truncated.
struct PlainWeight {
  float w0 = 0, w1 = 0;
};

std::vector<PlainWeight> PlainWeights(uint32_t n, uint32_t m) {
  std::vector<PlainWeight> table(n);
  uint32_t acc = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t c = acc + m;
    if (c > n) {
      table[i].w0 = static_cast<float>(n - acc) / static_cast<float>(n);
      table[i].w1 = static_cast<float>(c - n) / static_cast<float>(n);
      acc = c - n;
    } else {
      table[i].w0 = static_cast<float>(m) / static_cast<float>(n);
      if (c == n) {
        table[i].w1 = -1;
        acc = 0;
      } else {
        acc = c;
      }
    }
  }
  return table;
}

std::vector<uint8_t> PlainReduce(const std::vector<uint8_t>& block, uint32_t w, uint32_t h, uint32_t t) {
  const uint32_t newHeight =
      static_cast<uint32_t>(static_cast<double>(t) / static_cast<float>(w) * static_cast<float>(h));
  std::vector<PlainWeight> cols = PlainWeights(w, t), rows = PlainWeights(h, newHeight);
  std::vector<uint8_t> out(size_t{newHeight} * t * 3, 0);
  std::vector<float> current(size_t{t} * 3, 0), next(size_t{t} * 3, 0);
  uint32_t outRow = 0;
  for (uint32_t y = 0; y < h && outRow < newHeight; ++y) {
    const float r0 = rows[y].w0, r1 = rows[y].w1;
    uint32_t col = 0;
    for (uint32_t x = 0; x < w && col < t; ++x) {
      const float k0 = cols[x].w0, k1 = cols[x].w1;
      for (int c = 0; c < 3; ++c) {
        const double value = block[(size_t{y} * w + x) * 3 + c];
        Accumulate(current.at(col * 3 + c), static_cast<double>(k0) * r0 * value);
        if (k1 > 0.0000001) Accumulate(current.at((col + 1) * 3 + c), static_cast<double>(k1) * r0 * value);
        if (r1 > 0.0000001) {
          Accumulate(next.at(col * 3 + c), static_cast<double>(k0) * r1 * value);
          if (k1 > 0.0000001) Accumulate(next.at((col + 1) * 3 + c), static_cast<double>(k1) * r1 * value);
        }
      }
      if (std::fabs(k1) > 0.0000001) ++col;
    }
    if (std::fabs(r1) > 0.0000001) {
      for (size_t i = 0; i < current.size(); ++i)
        out[outRow * current.size() + i] = static_cast<uint8_t>(std::min(current[i], 255.0f));
      ++outRow;
      std::fill(current.begin(), current.end(), 0.0f);
      std::swap(current, next);
    }
  }
  return out;
}

std::vector<uint8_t> Reduced(std::vector<uint8_t> block, uint32_t w, uint32_t h, uint32_t t) {
  EXPECT_TRUE(ReduceToWidth(block.data(), w, h, t)) << w << "x" << h << " -> " << t;
  block.resize(size_t{t} * ReducedHeight(t, w, h) * 3);
  return block;
}

void ExpectWeights(const std::vector<BoxWeight>& table, const std::vector<BoxWeight>& expected) {
  ASSERT_EQ(table.size(), expected.size());
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_FLOAT_EQ(table[i].w0, expected[i].w0) << i;
    EXPECT_FLOAT_EQ(table[i].w1, expected[i].w1) << i;
  }
}

TEST(BuildBoxWeights, WorkedExamples) {
  ExpectWeights(BuildBoxWeights(4, 2), {{0.5f, 0}, {0.5f, -1}, {0.5f, 0}, {0.5f, -1}});
  ExpectWeights(BuildBoxWeights(3, 2), {{2.0f / 3, 0}, {1.0f / 3, 1.0f / 3}, {2.0f / 3, -1}});
  EXPECT_EQ(BuildBoxWeights(3, 2)[1].w0, static_cast<float>(1.0 / 3));
}

TEST(BuildBoxWeights, EveryTargetPixelReceivesWeightOneAndTheLastSourcePixelCompletes) {
  for (uint32_t n : {1u, 2u, 7u, 97u, 300u, 641u, 4000u}) {
    for (uint32_t m : {1u, 2u, 3u, 48u, 96u, 504u, n}) {
      if (m > n) continue;
      std::vector<BoxWeight> table = BuildBoxWeights(n, m);
      ASSERT_EQ(table.size(), n);
      std::vector<double> received(m + 1, 0.0);
      uint32_t target = 0, completions = 0;
      for (uint32_t i = 0; i < n; ++i) {
        received[target] += table[i].w0;
        if (table[i].w1 > 0) received[target + 1] += table[i].w1;
        if (table[i].w1 != 0) {
          ++target;
          ++completions;
        }
      }
      EXPECT_EQ(completions, m) << n << " -> " << m;
      EXPECT_NE(table[n - 1].w1, 0.0f) << n << " -> " << m;
      for (uint32_t j = 0; j < m; ++j) EXPECT_NEAR(received[j], 1.0, 1e-5) << n << " -> " << m << " at " << j;
    }
  }
  EXPECT_TRUE(BuildBoxWeights(2, 3).empty());
  EXPECT_TRUE(BuildBoxWeights(0, 0).empty());
}

TEST(ReducedHeight, TruncatesTargetOverWidthTimesHeightInDoubleOfFloats) {
  EXPECT_EQ(ReducedHeight(96, 300, 200), 64u);
  EXPECT_EQ(ReducedHeight(96, 192, 192), 96u);
  EXPECT_EQ(ReducedHeight(96, 640, 480), 72u);
  // Single-precision arithmetic would give 95 here.
  EXPECT_EQ(ReducedHeight(96, 191, 191), 96u);
  // The sides are floats first: 16777217 becomes 16777216, so the ratio is exactly 1.
  EXPECT_EQ(ReducedHeight(96, 16777217, 16777217), 96u);
  EXPECT_EQ(ReducedHeight(96, 4000, 10), 0u);
  EXPECT_EQ(ReducedHeight(96, 0, 10), 0u);
}

TEST(ReduceToWidth, HalvingAveragesTwoByTwoBlocksTruncated) {
  const uint32_t size = 192;
  std::vector<uint8_t> picture(size * size * 3);
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x)
      for (int c = 0; c < 3; ++c) picture[(y * size + x) * 3 + c] = (x % 2 == 0) ? 10 : 11;
  std::vector<uint8_t> half = Reduced(picture, size, size, 96);
  ASSERT_EQ(half.size(), 96u * 96 * 3);
  EXPECT_TRUE(std::all_of(half.begin(), half.end(), [](uint8_t v) { return v == 10; }));

  std::mt19937 random(7);
  for (uint8_t& v : picture) v = static_cast<uint8_t>(random());
  half = Reduced(picture, size, size, 96);
  for (uint32_t y = 0; y < 96; ++y)
    for (uint32_t x = 0; x < 96; ++x)
      for (int c = 0; c < 3; ++c) {
        auto at = [&](uint32_t sy, uint32_t sx) { return picture[(sy * size + sx) * 3 + c]; };
        int sum = at(2 * y, 2 * x) + at(2 * y, 2 * x + 1) + at(2 * y + 1, 2 * x) + at(2 * y + 1, 2 * x + 1);
        ASSERT_EQ(half[(y * 96 + x) * 3 + c], sum / 4) << x << "," << y;
      }
}

TEST(ReduceToWidth, ThreeHundredByTwoHundredBecomesNinetySixBySixtyFour) {
  std::vector<uint8_t> picture(300 * 200 * 3);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 31 % 251);
  std::vector<uint8_t> before = picture;
  ASSERT_TRUE(ReduceToWidth(picture.data(), 300, 200, 96));
  // Only the reduced picture's bytes at the start are written.
  EXPECT_TRUE(std::equal(picture.begin() + 96 * 64 * 3, picture.end(), before.begin() + 96 * 64 * 3));
  std::vector<uint8_t> reference = PlainReduce(before, 300, 200, 96);
  ASSERT_EQ(reference.size(), 96u * 64 * 3);
  for (size_t i = 0; i < reference.size(); ++i) ASSERT_LE(std::abs(picture[i] - reference[i]), 1) << i;
}

TEST(ReduceToWidth, StaysWithinOneOfThePlainAlgorithmOnRandomPictures) {
  std::mt19937 random(20240611);
  size_t bytes = 0, equal = 0;
  int pictures = 0;
  auto check = [&](uint32_t w, uint32_t h, uint32_t t, int kind) {
    const uint32_t newHeight = ReducedHeight(t, w, h);
    if (t >= w || newHeight == 0 || newHeight >= h) return;
    std::vector<uint8_t> picture(size_t{w} * h * 3);
    const uint8_t level = static_cast<uint8_t>(random());
    for (size_t i = 0; i < picture.size(); ++i) {
      switch (kind) {
        case 0: picture[i] = static_cast<uint8_t>(random()); break;               // noise
        case 1: picture[i] = level; break;                                        // flat
        case 2: picture[i] = static_cast<uint8_t>((i / 3 % w) * 255 / w); break;  // ramp
        default: picture[i] = (random() & 1) ? 255 : 0; break;                    // two levels
      }
    }
    std::vector<uint8_t> mine = Reduced(picture, w, h, t);
    std::vector<uint8_t> plain = PlainReduce(picture, w, h, t);
    ASSERT_EQ(mine.size(), plain.size());
    for (size_t i = 0; i < mine.size(); ++i)
      ASSERT_LE(std::abs(mine[i] - plain[i]), 1) << w << "x" << h << " -> " << t << " kind " << kind << " at " << i;
    bytes += mine.size();
    equal += std::inner_product(mine.begin(), mine.end(), plain.begin(), size_t{0}, std::plus<>(),
                                [](uint8_t a, uint8_t b) { return size_t{a == b}; });
    ++pictures;
  };
  for (int i = 0; i < 160; ++i) {
    uint32_t w = 2 + random() % 400, h = 2 + random() % 300;
    check(w, h, 1 + random() % (w - 1), i % 4);
  }
  for (uint32_t t : {48u, 96u, 144u, 192u, 504u})
    for (auto [w, h] : {std::pair{640u, 480u}, {1024u, 768u}, {333u, 1000u}, {1279u, 719u}})
      for (int kind = 0; kind < 4; ++kind) check(w, h, t, kind);
  EXPECT_GT(pictures, 150);
  std::printf("ReduceToWidth vs plain: %d pictures, %zu of %zu bytes identical\n", pictures, equal, bytes);
}

TEST(ReduceToWidth, RefusesWhatWouldWriteOutsideTheBlock) {
  std::vector<uint8_t> picture(40 * 30 * 3, 9);
  const std::vector<uint8_t> before = picture;
  EXPECT_FALSE(ReduceToWidth(nullptr, 40, 30, 20));
  EXPECT_FALSE(ReduceToWidth(picture.data(), 40, 30, 41));  // would enlarge
  EXPECT_FALSE(ReduceToWidth(picture.data(), 40, 30, 0));
  EXPECT_FALSE(ReduceToWidth(picture.data(), 40, 1, 20));  // no rows left
  EXPECT_EQ(picture, before);
  EXPECT_TRUE(ReduceToWidth(picture.data(), 40, 30, 40));  // same size: unchanged
  EXPECT_EQ(picture, before);
}

TEST(ReduceToWidth, InstancesTakeTheirTargetFromTheThumbnailBoxAndTheWallpaperWidth) {
  const int thumbnail = g_thumbnailWidth, wallpaper = g_wallpaperWidth;
  std::vector<uint8_t> picture(200 * 100 * 3, 50);
  g_thumbnailWidth = 48;
  g_wallpaperWidth = 100;
  std::vector<uint8_t> a = picture, b = picture;
  EXPECT_TRUE(ReduceToThumbnailWidth(a.data(), 200, 100));
  EXPECT_TRUE(ReduceToWallpaperWidth(b.data(), 200, 100));
  a.resize(48 * 24 * 3);
  b.resize(100 * 50 * 3);
  EXPECT_EQ(a, Reduced(picture, 200, 100, 48));
  EXPECT_EQ(b, Reduced(picture, 200, 100, 100));
  g_thumbnailWidth = 500;  // larger than the picture: refused
  EXPECT_FALSE(ReduceToThumbnailWidth(picture.data(), 200, 100));
  g_thumbnailWidth = thumbnail;
  g_wallpaperWidth = wallpaper;
}

}  // namespace
