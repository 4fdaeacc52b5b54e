#include "image/Reduce.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

#include "image/ImageSettings.h"
#include "image/PixelBuffer.h"

namespace {

// Scratch rows come from the pixel allocator, so that they fail as pictures do when memory is
// short (and under the test limit), and a failure throws only inside ReduceToWidth.
template <typename T>
struct ScratchAllocator {
  using value_type = T;
  ScratchAllocator() = default;
  template <typename U>
  ScratchAllocator(const ScratchAllocator<U>&) {}
  T* allocate(size_t count) {
    if (count > kMaxPixelBytes / sizeof(T)) throw std::bad_alloc();
    PixelBlock block = AllocatePixels(uint64_t{count} * sizeof(T));
    if (!block) throw std::bad_alloc();
    return reinterpret_cast<T*>(block.release());
  }
  void deallocate(T* data, size_t) { PixelBlockDeleter()(reinterpret_cast<uint8_t*>(data)); }
  template <typename U>
  bool operator==(const ScratchAllocator<U>&) const {
    return true;
  }
};

template <typename T>
using ScratchRow = std::vector<T, ScratchAllocator<T>>;

// Weights at or below this are treated as absent (w1 > eps: straddle; |w1| > eps: completion).
constexpr double kWeightEpsilon = 0.0000001;

float Ratio(uint64_t numerator, uint64_t denominator) {
  return static_cast<float>(static_cast<double>(numerator) / static_cast<double>(denominator));
}

uint8_t TruncateToByte(double value) {
  if (!(value > 0)) return 0;
  if (value >= 255) return 255;
  return static_cast<uint8_t>(value);
}

// The reduction runs vertical pass first: source rows are summed into a row of column sums,
// and only each finished output row is reduced horizontally. Rows whose weight is the common
// m / n (all but the rows that straddle an output row boundary) are summed exactly in 16-bit
// integers, two rows at a time, and scaled once, which is what makes the pass over the whole
// picture cheap; columns are treated alike in the horizontal pass. The result is the same
// area-weighted mean as accumulating every product in source order; only the rounding of the
// float sums differs, by far less than one step of a byte.
class Reducer {
 public:
  Reducer(uint8_t* output, uint32_t width, uint32_t height, uint32_t target, uint32_t newHeight)
      : output_(output),
        height_(height),
        target_(target),
        newHeight_(newHeight),
        rowLength_(size_t{width} * 3),
        rowWeights_(BuildBoxWeights(height, newHeight)),
        uniformRowWeight_(Ratio(newHeight, height)),
        sums_(rowLength_),
        current_(rowLength_),
        next_(rowLength_) {
    PlanColumns(BuildBoxWeights(width, target), Ratio(target, width));
  }

  // The next `count` source rows, packed. Groups of rows never reach past the rows given, and the
  // exact sums are flushed at fixed rows, so any split into bands gives the same floats.
  void Feed(const uint8_t* rows, uint32_t count) {
    for (uint32_t i = 0; i < count && y_ < height_ && outputRow_ < newHeight_; ++i, ++y_) {
      const BoxWeight r = rowWeights_[y_];
      const uint8_t* source = rows + i * rowLength_;
      if (IsUniformRow(r)) {
        // Rows of the common weight are summed up to four at a time; only the last of them
        // may complete the output row.
        uint32_t n = 1;
        while (n < kRowsPerPass && i + n < count && y_ + n < height_ && summedRows_ + n < kMaxSummedRows &&
               !Completes(rowWeights_[y_ + n - 1]) && IsUniformRow(rowWeights_[y_ + n]))
          ++n;
        AddToSums(source, n, std::min(n, count - i - n));
        i += n - 1;
        y_ += n - 1;
      } else {
        AddWeighted(current_.data(), source, r.w0);
        if (r.w1 > kWeightEpsilon) AddWeighted(next_.data(), source, r.w1);
      }
      if (Completes(rowWeights_[y_])) {
        FlushSums();
        // Output row j ends at (j + 1) x target x 3 <= (y + 1) x width x 3: fed in place, all of
        // it lies in source rows already consumed, so it may overwrite them.
        EmitRow(output_ + size_t{outputRow_} * target_ * 3);
        ++outputRow_;
        std::fill(current_.begin(), current_.end(), 0.0f);
        current_.swap(next_);
      }
    }
  }

  // Output rows that no source row completed are black.
  void Finish() {
    const size_t outputRowLength = size_t{target_} * 3;
    for (; outputRow_ < newHeight_; ++outputRow_)
      std::fill_n(output_ + outputRow_ * outputRowLength, outputRowLength, uint8_t{0});
  }

 private:
  // 257 x 255 is the most a 16-bit sum holds.
  static constexpr unsigned kMaxSummedRows = 257;
  static constexpr uint32_t kRowsPerPass = 4;

  // One part of an output column: `count` source pixels from `first` with one weight.
  struct ColumnTerm {
    uint32_t first;
    uint32_t count;
    float weight;
  };

  bool IsUniformRow(BoxWeight r) const { return !(r.w1 > kWeightEpsilon) && r.w0 == uniformRowWeight_; }
  static bool Completes(BoxWeight w) { return std::fabs(w.w1) > kWeightEpsilon; }

  // Turns the column weights into runs per output column, walking them as the plain algorithm
  // does: w0 goes to the current column, a straddle's w1 to the next, and |w1| > eps moves on.
  void PlanColumns(const std::vector<BoxWeight>& weights, float uniform) {
    columnStart_.assign(size_t{target_} + 2, 0);
    std::vector<std::vector<ColumnTerm>> perColumn(size_t{target_} + 1);
    uint32_t col = 0;
    for (uint32_t x = 0; x < weights.size() && col < target_; ++x) {
      const BoxWeight k = weights[x];
      std::vector<ColumnTerm>& terms = perColumn[col];
      if (k.w0 == uniform && !terms.empty() && terms.back().weight == uniform &&
          terms.back().first + terms.back().count == x)
        ++terms.back().count;
      else
        terms.push_back({x, 1, k.w0});
      if (k.w1 > kWeightEpsilon) perColumn[col + 1].push_back({x, 1, k.w1});
      if (Completes(k)) ++col;
    }
    for (uint32_t c = 0; c < target_; ++c) {
      columnStart_[c] = static_cast<uint32_t>(columnTerms_.size());
      columnTerms_.insert(columnTerms_.end(), perColumn[c].begin(), perColumn[c].end());
    }
    columnStart_[target_] = static_cast<uint32_t>(columnTerms_.size());
  }

  // Adds `count` rows from `source` to the 16-bit sums; `ahead` rows after them are prefetched.
  // The sums are flushed when they hold kMaxSummedRows rows.
  void AddToSums(const uint8_t* source, uint32_t count, uint32_t ahead) {
    switch (count) {
      case 1: AddRows<1>(source, ahead); break;
      case 2: AddRows<2>(source, ahead); break;
      case 3: AddRows<3>(source, ahead); break;
      default: AddRows<4>(source, ahead); break;
    }
    summedRows_ += count;
    if (summedRows_ == kMaxSummedRows) FlushSums();
  }

  template <int N>
  void AddRows(const uint8_t* source, uint32_t ahead) {
    uint16_t* sums = sums_.data();
    const size_t stride = rowLength_;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= rowLength_; i += 16) {
      if (i % 64 == 0)
        for (uint32_t k = 0; k < ahead; ++k)
          _mm_prefetch(reinterpret_cast<const char*>(source + (N + k) * stride + i), _MM_HINT_T0);
      __m128i lo = zero, hi = zero;
      for (int k = 0; k < N; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + k * stride + i));
        lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(bytes, zero));
        hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(bytes, zero));
      }
      __m128i* to = reinterpret_cast<__m128i*>(sums + i);
      _mm_storeu_si128(to, _mm_add_epi16(_mm_loadu_si128(to), lo));
      _mm_storeu_si128(to + 1, _mm_add_epi16(_mm_loadu_si128(to + 1), hi));
    }
#endif
    for (; i < rowLength_; ++i) {
      unsigned sum = sums[i];
      for (int k = 0; k < N; ++k) sum += source[k * stride + i];
      sums[i] = static_cast<uint16_t>(sum);
    }
  }

  void FlushSums() {
    if (summedRows_ == 0) return;
    uint16_t* sums = sums_.data();
    float* current = current_.data();
    const float weight = uniformRowWeight_;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128 w = _mm_set1_ps(weight);
    for (; i + 8 <= rowLength_; i += 8) {
      const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i));
      AddScaled(current + i, _mm_unpacklo_epi16(words, zero), w);
      AddScaled(current + i + 4, _mm_unpackhi_epi16(words, zero), w);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + i), zero);
    }
#endif
    for (; i < rowLength_; ++i) {
      current[i] += weight * static_cast<float>(sums[i]);
      sums[i] = 0;
    }
    summedRows_ = 0;
  }

  void AddWeighted(float* sums, const uint8_t* source, float weight) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128 w = _mm_set1_ps(weight);
    for (; i + 16 <= rowLength_; i += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
      const __m128i lo = _mm_unpacklo_epi8(bytes, zero), hi = _mm_unpackhi_epi8(bytes, zero);
      AddScaled(sums + i, _mm_unpacklo_epi16(lo, zero), w);
      AddScaled(sums + i + 4, _mm_unpackhi_epi16(lo, zero), w);
      AddScaled(sums + i + 8, _mm_unpacklo_epi16(hi, zero), w);
      AddScaled(sums + i + 12, _mm_unpackhi_epi16(hi, zero), w);
    }
#endif
    for (; i < rowLength_; ++i) sums[i] += weight * static_cast<float>(source[i]);
  }

#if defined(__SSE2__)
  // to[0..3] += weight x the four 32-bit integers of `values`.
  static void AddScaled(float* to, __m128i values, __m128 weight) {
    _mm_storeu_ps(to, _mm_add_ps(_mm_loadu_ps(to), _mm_mul_ps(weight, _mm_cvtepi32_ps(values))));
  }
#endif

  void EmitRow(uint8_t* output) {
    const float* columns = current_.data();
    for (uint32_t c = 0; c < target_; ++c) {
      double out[3] = {0, 0, 0};
      for (uint32_t t = columnStart_[c]; t < columnStart_[c + 1]; ++t) {
        const ColumnTerm& term = columnTerms_[t];
        const float* v = columns + size_t{term.first} * 3;
        float s0 = 0, s1 = 0, s2 = 0;
        for (uint32_t i = 0; i < term.count; ++i, v += 3) {
          s0 += v[0];
          s1 += v[1];
          s2 += v[2];
        }
        out[0] += double{term.weight} * s0;
        out[1] += double{term.weight} * s1;
        out[2] += double{term.weight} * s2;
      }
      for (int ch = 0; ch < 3; ++ch) output[size_t{c} * 3 + ch] = TruncateToByte(out[ch]);
    }
  }

  uint8_t* output_;
  uint32_t height_;
  uint32_t target_;
  uint32_t newHeight_;
  size_t rowLength_;
  std::vector<BoxWeight> rowWeights_;
  float uniformRowWeight_;
  std::vector<ColumnTerm> columnTerms_;  // the terms of output column c: [columnStart_[c], columnStart_[c + 1])
  std::vector<uint32_t> columnStart_;
  ScratchRow<uint16_t> sums_;  // exact sums of the rows of common weight since the last flush
  unsigned summedRows_ = 0;
  ScratchRow<float> current_;  // column sums of the output row being made
  ScratchRow<float> next_;     // the share of straddling rows in the following output row
  uint32_t y_ = 0;             // the next source row
  uint32_t outputRow_ = 0;     // the next output row
};

}  // namespace

std::vector<BoxWeight> BuildBoxWeights(uint32_t n, uint32_t m) {
  if (n == 0 || m > n) return {};
  std::vector<BoxWeight> weights(n);
  uint64_t acc = 0;  // position inside the current target pixel, in units of 1 / (m x n)
  for (uint32_t i = 0; i < n; ++i) {
    const uint64_t end = acc + m;
    if (end > n) {
      weights[i] = {Ratio(n - acc, n), Ratio(end - n, n)};
      acc = end - n;
    } else if (end == n) {
      weights[i] = {Ratio(m, n), -1.0f};
      acc = 0;
    } else {
      weights[i] = {Ratio(m, n), 0.0f};
      acc = end;
    }
  }
  return weights;
}

uint32_t ReducedHeight(uint32_t target, uint32_t width, uint32_t height) {
  if (width == 0) return 0;
  const double h = static_cast<double>(target) / static_cast<float>(width) * static_cast<float>(height);
  if (!(h >= 1)) return 0;
  return h >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(h);
}

bool ReduceToWidth(uint8_t* block, uint32_t width, uint32_t height, uint32_t target) {
  return ReduceToSize(block, width, height, target, ReducedHeight(target, width, height));
}

bool ReduceToSize(uint8_t* block, uint32_t width, uint32_t height, uint32_t target, uint32_t newHeight) {
  if (!block) return false;
  if (target == 0 || newHeight == 0 || target > width || newHeight > height) return false;
  // Every allocation happens while the reducer is made, before the block is touched.
  try {
    Reducer reducer(block, width, height, target, newHeight);
    reducer.Feed(block, height);
    reducer.Finish();
  } catch (const std::exception&) {  // out of memory, or a length no vector can have
    return false;
  }
  return true;
}

class RowReducer::Impl : public Reducer {
  using Reducer::Reducer;
};

RowReducer::RowReducer() = default;
RowReducer::~RowReducer() = default;

bool RowReducer::Start(uint32_t width, uint32_t height, uint32_t target, uint32_t targetHeight,
                       uint8_t* output) noexcept {
  impl_.reset();
  if (!output || target == 0 || targetHeight == 0 || target > width || targetHeight > height) return false;
  try {
    impl_ = std::make_unique<Impl>(output, width, height, target, targetHeight);
  } catch (const std::exception&) {  // out of memory, or a length no vector can have
    return false;
  }
  return true;
}

void RowReducer::Feed(const uint8_t* rows, uint32_t count) {
  if (impl_) impl_->Feed(rows, count);
}

void RowReducer::Finish() {
  if (impl_) impl_->Finish();
}

bool ReduceToThumbnailWidth(uint8_t* block, uint32_t width, uint32_t height) {
  return ReduceToWidth(block, width, height, static_cast<uint32_t>(std::max(0, g_thumbnailWidth.load())));
}

bool ReduceToWallpaperWidth(uint8_t* block, uint32_t width, uint32_t height) {
  return ReduceToWidth(block, width, height, static_cast<uint32_t>(std::max(0, g_wallpaperWidth.load())));
}
