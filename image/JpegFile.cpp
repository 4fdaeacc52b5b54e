#include "image/JpegFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "image/ImagePlatform.h"
#include "image/ImageSettings.h"
#include "image/Orientation.h"
#include "image/Reduce.h"

extern "C" {
#include <jpeglib.h>
}

// The library reports fatal errors by calling error_exit, which must not return. It jumps back to
// the wrapper, which then releases the codec object and the file. Each call has its own error
// manager and jump buffer, so calls on different threads do not meet. The functions that arm the
// jump hold no objects with destructors: everything they own lives in the caller's job object.

namespace {

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  // The library's first warning, returned with the picture. One that came before the header was
  // read and the picture allocated counts only when the decode then succeeds: a header cut short
  // warns of the early end and then fails, and a refused file says nothing.
  bool holdWarning;
  bool warned;
  bool warnedWhileHolding;
  char warning[JMSG_LENGTH_MAX];
};

// More scans than this make a file undecodable: each scan of a progressive file is a pass over the
// whole picture, and a small hostile file can hold thousands.
constexpr int kMaxProgressiveScans = 500;

void ExitByJump(j_common_ptr codec) {
  char message[JMSG_LENGTH_MAX];
  (*codec->err->format_message)(codec, message);  // formatted as the library expects, not shown
  std::longjmp(reinterpret_cast<JpegErrorManager*>(codec->err)->jump, 1);
}

void LimitScans(j_common_ptr codec) {
  if (!codec->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(codec)->input_scan_number > kMaxProgressiveScans)
    std::longjmp(reinterpret_cast<JpegErrorManager*>(codec->err)->jump, 1);
}

void ShowOpenFailure(const char* path) {
  try {
    const std::string text = std::string("JpegFile :\nCan't open ") + path + "\n";
    image_platform::ShowMessage(text.c_str(), nullptr);
  } catch (...) {
  }
}

// At trace level 0 the library passes only the first warning of a codec object to this hook.
void KeepWarning(j_common_ptr codec) {
  JpegErrorManager* errors = reinterpret_cast<JpegErrorManager*>(codec->err);
  if (errors->warned) return;
  (*codec->err->format_message)(codec, errors->warning);
  errors->warned = true;
  errors->warnedWhileHolding = errors->holdWarning;
}

jpeg_error_mgr* InstallErrorManager(JpegErrorManager& errors) {
  errors.holdWarning = false;
  errors.warned = false;
  errors.warnedWhileHolding = false;
  errors.warning[0] = '\0';
  jpeg_std_error(&errors.pub);
  errors.pub.error_exit = ExitByJump;
  errors.pub.output_message = KeepWarning;
  return &errors.pub;
}

// The warning a decode returns with its result.
void TakeWarning(const JpegErrorManager& errors, bool decoded, std::string* warning) {
  if (!warning || !errors.warned || (errors.warnedWhileHolding && !decoded)) return;
  try {
    *warning = errors.warning;
  } catch (...) {
  }
}

uint8_t Scale(unsigned a, unsigned b) { return static_cast<uint8_t>((a * b + 127) / 255); }

// The reduction a thumbnail's rows are fed to, planned from the header.
struct ThumbnailJob {
  int boxWidth = 0;
  int boxHeight = 0;
  bool fitsBox = false;  // no reduction: the rows are decoded and dropped
  uint32_t width = 0;    // of the reduced picture, in the stored directions
  uint32_t height = 0;
  PixelBlock reduced;
  RowReducer reducer;
};

struct DecodeJob {
  JpegErrorManager errors{};
  jpeg_progress_mgr progress{};
  jpeg_decompress_struct codec{};
  std::FILE* file = nullptr;
  PixelBlock pixels;
  uint32_t width = 0;  // of the allocated picture
  uint32_t height = 0;
  // A scaled read: the chooser of the target width, and what it chose (0: the full size).
  const JpegTargetWidth* chooser = nullptr;
  uint32_t target = 0;
  uint32_t targetHeight = 0;
  int denominator = 1;
  int orientation = kOrientationAsStored;  // from the file's first Exif segment
  // A thumbnail's decode: rows go through `band` into the reduction, and no picture is kept.
  ThumbnailJob* thumbnail = nullptr;
  PixelBlock band;
};

// Rows of a thumbnail's band, two reads of 8 rows: all of the picture that exists at once.
constexpr JDIMENSION kBandRows = 16;

constexpr char kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};

// Only the first Exif segment counts; the others (and XMP's APP1 segments) are not looked at.
int OrientationOf(const jpeg_decompress_struct& codec) {
  for (jpeg_saved_marker_ptr marker = codec.marker_list; marker; marker = marker->next) {
    if (marker->marker != JPEG_APP0 + 1 || marker->data_length < 6 || std::memcmp(marker->data, kExifSignature, 6) != 0)
      continue;
    return ExifOrientation(marker->data, marker->data_length);
  }
  return kOrientationAsStored;
}

// Asks the chooser for the target once the full size is known (the upright size: the target is
// upright too), and sets the library's strongest scale whose output still covers the target in
// both directions. The target kept is in the stored picture's directions.
bool ChooseScale(DecodeJob& job) {
  jpeg_decompress_struct& codec = job.codec;
  const bool swaps = OrientationSwapsSides(job.orientation);
  const uint32_t width = swaps ? codec.image_height : codec.image_width;
  const uint32_t height = swaps ? codec.image_width : codec.image_height;
  uint32_t target = 0;
  try {
    target = (*job.chooser)(width, height);
  } catch (...) {
    return false;
  }
  const uint32_t targetHeight = ReducedHeight(target, width, height);
  if (target == 0 || target >= width || targetHeight == 0 || targetHeight > height) return true;
  job.target = swaps ? targetHeight : target;
  job.targetHeight = swaps ? target : targetHeight;
  for (const int denominator : {8, 4, 2}) {
    codec.scale_num = 1;
    codec.scale_denom = static_cast<unsigned>(denominator);
    jpeg_calc_output_dimensions(&codec);
    if (codec.output_width >= job.target && codec.output_height >= job.targetHeight) {
      job.denominator = denominator;
      return true;
    }
  }
  codec.scale_num = codec.scale_denom = 1;
  return true;
}

// Decides from the header whether the photo is larger than the box in both directions (upright),
// and if so prepares the reduction to the box width in the stored directions: the small picture
// is turned afterwards.
bool PlanThumbnail(DecodeJob& job) {
  ThumbnailJob& plan = *job.thumbnail;
  const uint32_t storedWidth = job.codec.image_width, storedHeight = job.codec.image_height;
  const bool swaps = OrientationSwapsSides(job.orientation);
  const uint32_t width = swaps ? storedHeight : storedWidth, height = swaps ? storedWidth : storedHeight;
  if (plan.boxWidth <= 0 || width <= static_cast<uint32_t>(plan.boxWidth) ||
      height <= static_cast<uint32_t>(std::max(plan.boxHeight, 0))) {
    plan.fitsBox = true;
    return true;
  }
  const uint32_t target = static_cast<uint32_t>(plan.boxWidth), targetHeight = ReducedHeight(target, width, height);
  if (targetHeight == 0) return true;  // too wide for a row: decoded, but no thumbnail
  plan.width = swaps ? targetHeight : target;
  plan.height = swaps ? target : targetHeight;
  plan.reduced = AllocatePixels(PackedPictureBytes(plan.width, plan.height));
  return plan.reduced && plan.reducer.Start(storedWidth, storedHeight, plan.width, plan.height, plan.reduced.get());
}

// Where decoded row `row` goes: its place in the picture, or in the band.
uint8_t* RowPlace(DecodeJob& job, JDIMENSION row, size_t stride) {
  if (job.thumbnail) return job.band.get() + (row % kBandRows) * stride;
  return job.pixels.get() + row * stride;
}

// Feeds the band to the reduction once its last row is decoded.
void PassFinishedBand(DecodeJob& job) {
  if (!job.thumbnail) return;
  const JDIMENSION done = job.codec.output_scanline;
  if (done == 0 || (done % kBandRows != 0 && done != job.codec.output_height)) return;
  const JDIMENSION first = (done - 1) / kBandRows * kBandRows;
  job.thumbnail->reducer.Feed(job.band.get(), done - first);
}

// Rows of 3 components are decoded straight into the picture; 1 (gray) and 4 (CMYK) components
// go through a library row and are converted. The declared size is checked and the picture (for
// a thumbnail, the band and the reduced picture) allocated before the decompressor starts: starting reads a progressive
// file's every scan into buffers the size of the picture, and a file refused afterwards would have cost that and shown
// its warnings for nothing.
bool RunDecode(DecodeJob& job) {
  jpeg_decompress_struct& codec = job.codec;
  codec.err = InstallErrorManager(job.errors);
  if (setjmp(job.errors.jump)) return false;
  jpeg_create_decompress(&codec);
  job.progress.progress_monitor = LimitScans;
  codec.progress = &job.progress;
  jpeg_stdio_src(&codec, job.file);
  jpeg_save_markers(&codec, JPEG_APP0 + 1, 0xFFFF);
  job.errors.holdWarning = true;
  jpeg_read_header(&codec, TRUE);
  job.orientation = OrientationOf(codec);
  if (job.chooser && !ChooseScale(job)) return false;
  jpeg_calc_output_dimensions(&codec);
  const int components = codec.output_components;
  if (components != 1 && components != 3 && components != 4) return false;
  // A thumbnail holds one band of rows; anything else the whole picture.
  const JDIMENSION heldRows = job.thumbnail ? std::min(kBandRows, codec.output_height) : codec.output_height;
  const uint64_t bytes = PackedPictureBytes(codec.output_width, heldRows);
  const uint64_t budget = PixelMemoryBudget();
  if (bytes > budget) return false;
  if (job.thumbnail && !PlanThumbnail(job)) return false;
  PixelBlock& held = job.thumbnail ? job.band : job.pixels;
  held = AllocatePixels(bytes);
  if (!held) return false;
  job.width = codec.output_width;
  job.height = codec.output_height;
  // The library's own buffers get what is left of the budget (0 would mean no limit). Beyond
  // it the library fails instead of reserving more.
  codec.mem->max_memory_to_use = static_cast<long>(std::max<uint64_t>(budget - bytes, 1));
  job.errors.holdWarning = false;
  jpeg_start_decompress(&codec);
  if (codec.output_width != job.width || codec.output_height != job.height) return false;

  const size_t stride = size_t{codec.output_width} * 3;
  if (components == 3) {
    constexpr int kRowsPerCall = 8;
    JSAMPROW rows[kRowsPerCall];
    while (codec.output_scanline < codec.output_height) {
      const JDIMENSION first = codec.output_scanline;
      JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, codec.output_height - first);
      if (job.thumbnail) count = std::min(count, kBandRows - first % kBandRows);
      for (JDIMENSION i = 0; i < count; ++i) rows[i] = RowPlace(job, first + i, stride);
      jpeg_read_scanlines(&codec, rows, count);
      PassFinishedBand(job);
    }
  } else {
    JSAMPARRAY row = (*codec.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&codec), JPOOL_IMAGE,
                                                codec.output_width * components, 1);
    // Adobe's CMYK files store inverted samples (0 = full ink); their APP14 marker tells.
    const bool inverted = codec.saw_Adobe_marker;
    while (codec.output_scanline < codec.output_height) {
      jpeg_read_scanlines(&codec, row, 1);
      uint8_t* out = RowPlace(job, codec.output_scanline - 1, stride);
      const JSAMPLE* in = row[0];
      for (JDIMENSION x = 0; x < codec.output_width; ++x, out += 3) {
        if (components == 1) {
          out[0] = out[1] = out[2] = in[x];
          continue;
        }
        const JSAMPLE* cmyk = in + 4 * size_t{x};
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int c = 0; c < 3; ++c) out[c] = Scale(inverted ? cmyk[c] : 255u - cmyk[c], k);
      }
      PassFinishedBand(job);
    }
  }
  if (job.thumbnail) job.thumbnail->reducer.Finish();
  jpeg_finish_decompress(&codec);
  return true;
}

struct EncodeJob {
  JpegErrorManager errors{};
  jpeg_compress_struct codec{};
  std::FILE* file = nullptr;
  const char* path = nullptr;
  uint32_t width = 0;  // of the encoded picture
  uint32_t height = 0;
  int quality = 75;
  const uint8_t* rgb = nullptr;
  // When set, the picture of sourceWidth x sourceHeight at `reduce` is reduced in place to the
  // encoded width once the compressor has started, before the rows are read; a reduction that
  // fails abandons the file.
  uint8_t* reduce = nullptr;
  uint32_t sourceWidth = 0;
  uint32_t sourceHeight = 0;
  bool showOpenFailure = false;
};

bool RunEncode(EncodeJob& job) {
  jpeg_compress_struct& codec = job.codec;
  codec.err = InstallErrorManager(job.errors);
  if (setjmp(job.errors.jump)) return false;
  jpeg_create_compress(&codec);
  if (!job.file) job.file = std::fopen(job.path, "wb");
  if (!job.file) {
    if (job.showOpenFailure) ShowOpenFailure(job.path);
    return false;
  }
  jpeg_stdio_dest(&codec, job.file);
  codec.image_width = job.width;
  codec.image_height = job.height;
  codec.input_components = 3;
  codec.in_color_space = JCS_RGB;
  jpeg_set_defaults(&codec);
  jpeg_set_quality(&codec, job.quality, TRUE);
  jpeg_start_compress(&codec, TRUE);
  if (job.reduce && !ReduceToWidth(job.reduce, job.sourceWidth, job.sourceHeight, job.width)) {
    jpeg_abort_compress(&codec);
    return false;
  }
  const size_t stride = size_t{job.width} * 3;
  while (codec.next_scanline < codec.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(job.rgb + codec.next_scanline * stride);
    jpeg_write_scanlines(&codec, &row, 1);
  }
  jpeg_finish_compress(&codec);
  return true;
}

// Runs an encode and releases the file and the compressor whatever happened.
bool Encode(EncodeJob& job) {
  bool written = RunEncode(job);
  if (job.file && std::fclose(job.file) != 0) written = false;
  jpeg_destroy_compress(&job.codec);
  return written;
}

// Encodes the picture reduced in place to `target` pixels wide, into `file` when given (closed in
// every case), else into a new file at `path`.
bool EncodeReduced(std::FILE* file, const char* path, uint8_t* rgb, uint32_t width, uint32_t height, int quality,
                   uint32_t target) {
  EncodeJob job;
  job.file = file;
  job.path = path;
  job.rgb = rgb;
  job.width = target;
  job.height = ReducedHeight(target, width, height);
  job.quality = quality;
  job.reduce = rgb;
  job.sourceWidth = width;
  job.sourceHeight = height;
  return Encode(job);
}

std::string WithJpgExtension(std::string path) {
  const size_t slash = path.find_last_of("\\/");
  const size_t dot = path.find('.', slash == std::string::npos ? 0 : slash + 1);
  if (dot != std::string::npos) path.erase(dot);
  return path + ".jpg";
}

}  // namespace

PixelBlock ReadJpegRgb(const char* path, uint32_t& width, uint32_t& height, std::string* warning) {
  width = height = 0;
  DecodeJob job;
  job.file = path ? std::fopen(path, "rb") : nullptr;
  if (!job.file) return nullptr;
  const bool decoded = RunDecode(job);
  TakeWarning(job.errors, decoded, warning);
  uint32_t w = job.codec.output_width, h = job.codec.output_height;
  jpeg_destroy_decompress(&job.codec);
  std::fclose(job.file);
  if (!decoded) return nullptr;
  PixelBlock upright = OrientPicture(std::move(job.pixels), w, h, job.orientation);
  if (!upright) return nullptr;
  width = w;
  height = h;
  return upright;
}

ScaledJpeg ReadJpegRgbScaled(const char* path, const JpegTargetWidth& targetWidth) {
  ScaledJpeg result;
  DecodeJob job;
  job.chooser = &targetWidth;
  job.file = path ? std::fopen(path, "rb") : nullptr;
  if (!job.file) return result;
  const bool decoded = RunDecode(job);
  TakeWarning(job.errors, decoded, &result.warning);
  uint32_t sourceWidth = job.codec.image_width, sourceHeight = job.codec.image_height;
  jpeg_destroy_decompress(&job.codec);
  std::fclose(job.file);
  if (!decoded) return result;
  uint32_t width = job.width, height = job.height;
  // Reduced before it is turned: the same result within a step of a byte, for a fraction of the work.
  if (job.target > 0 && (job.target < width || job.targetHeight < height)) {
    if (!ReduceToSize(job.pixels.get(), width, height, job.target, job.targetHeight)) return result;
    width = job.target;
    height = job.targetHeight;
    // Only the reduced picture is kept; without memory for the copy, the larger block holds it.
    const uint64_t bytes = PackedPictureBytes(width, height);
    if (PixelBlock fitted = AllocatePixels(bytes)) {
      std::memcpy(fitted.get(), job.pixels.get(), static_cast<size_t>(bytes));
      job.pixels = std::move(fitted);
    }
  }
  job.pixels = OrientPicture(std::move(job.pixels), width, height, job.orientation);
  if (!job.pixels) return result;
  if (OrientationSwapsSides(job.orientation)) std::swap(sourceWidth, sourceHeight);
  result.pixels = std::move(job.pixels);
  result.width = width;
  result.height = height;
  result.sourceWidth = sourceWidth;
  result.sourceHeight = sourceHeight;
  result.scaleDenominator = job.denominator;
  return result;
}

ThumbnailPicture ReadJpegThumbnail(const char* path, int boxWidth, int boxHeight) {
  ThumbnailPicture result;
  ThumbnailJob plan;
  plan.boxWidth = boxWidth;
  plan.boxHeight = boxHeight;
  DecodeJob job;
  job.thumbnail = &plan;
  job.file = path ? std::fopen(path, "rb") : nullptr;
  if (!job.file) return result;
  const bool decoded = RunDecode(job);
  TakeWarning(job.errors, decoded, &result.warning);
  jpeg_destroy_decompress(&job.codec);
  std::fclose(job.file);
  if (!decoded) return result;
  result.decoded = true;
  if (plan.fitsBox) {
    result.fitsBox = true;
    return result;
  }
  uint32_t width = plan.width, height = plan.height;
  result.pixels = OrientPicture(std::move(plan.reduced), width, height, job.orientation);
  if (!result.pixels) return result;
  result.width = width;
  result.height = height;
  return result;
}

ScaledJpeg ReadJpegRgbToWidth(const char* path, uint32_t targetWidth) {
  return ReadJpegRgbScaled(path, [targetWidth](uint32_t, uint32_t) { return targetWidth; });
}

bool WriteJpegRgb(const char* path, const uint8_t* rgb, uint32_t width, uint32_t height, int quality) {
  if (!path || !rgb || width == 0 || height == 0) return false;
  EncodeJob job;
  job.path = path;
  job.rgb = rgb;
  job.width = width;
  job.height = height;
  job.quality = quality;
  job.showOpenFailure = true;
  return Encode(job);
}

bool EncodeJpegRgb(std::FILE* file, const uint8_t* rgb, uint32_t width, uint32_t height, int quality) {
  if (!file) return false;
  if (!rgb || width == 0 || height == 0) {
    std::fclose(file);
    return false;
  }
  EncodeJob job;
  job.file = file;
  job.rgb = rgb;
  job.width = width;
  job.height = height;
  job.quality = quality;
  return Encode(job);
}

bool WriteJpegThumbnail(const char* thumbPath, uint8_t* rgb, uint32_t width, uint32_t height, int quality) {
  if (!thumbPath || !rgb || width == 0 || height == 0) return false;
  // Read the box once: the thumbnail size command may change it while a worker encodes.
  const int boxWidth = g_thumbnailWidth.load(), boxHeight = g_thumbnailHeight.load();
  if (boxWidth <= 0 || width <= static_cast<uint32_t>(boxWidth) ||
      height <= static_cast<uint32_t>(std::max(boxHeight, 0))) {
    try {
      image_platform::CopyFileIfAbsent(ThumbnailSourcePath(thumbPath).c_str(), thumbPath);
    } catch (const std::bad_alloc&) {
      return false;  // not even the source's name could be made
    }
    return true;
  }
  return EncodeReduced(nullptr, thumbPath, rgb, width, height, quality, static_cast<uint32_t>(boxWidth));
}

std::string ThumbnailSourcePath(const std::string& thumbPath) {
  const size_t marker = thumbPath.find("DRVE_");
  if (marker != std::string::npos && marker + 5 < thumbPath.size()) {
    const char letter = thumbPath[marker + 5];
    // The drive's part follows the marker, the letter and one separator. Rooted, so that the
    // drive's current directory does not matter.
    if (image_platform::IsRemovableOrCdRom(letter)) {
      const std::string rest = marker + 7 <= thumbPath.size() ? thumbPath.substr(marker + 7) : std::string();
      return WithJpgExtension(std::string(1, letter) + ":\\" + rest);
    }
  }
  return WithJpgExtension(thumbPath);
}
