// Makes the fuzz targets' seed corpora: small real files of every kind the readers meet, written
// with the JPEG library and by hand after the BMP layout, and pairs of names and paths.
// Usage: fuzz_make_corpus <corpus folder>; writes <folder>/<target>/<file>.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace {

namespace fs = std::filesystem;

fs::path g_root;

void Save(const std::string& target, const std::string& name, const std::string& bytes) {
  const fs::path folder = g_root / target;
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A picture with edges and texture, so that every kind of coefficient occurs.
uint8_t Sample(uint32_t x, uint32_t y, int channel) {
  const uint32_t v = x * (40 + 30 * channel) + y * (70 - 20 * channel) + ((x ^ y) & 8) * 9 + (x * y % 7) * 5;
  return static_cast<uint8_t>(v);
}

struct JpegOptions {
  uint32_t width = 64;
  uint32_t height = 48;
  J_COLOR_SPACE input = JCS_RGB;       // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
  J_COLOR_SPACE stored = JCS_UNKNOWN;  // a colour space to store in other than the default
  int quality = 75;
  int h0 = 2, v0 = 2;  // sampling of the first component
  bool progressive = false;
  bool arithmetic = false;
  bool optimize = false;
  int restartRows = 0;
  bool adobe = true;
  bool markers = false;  // a comment and an APP1 block
  std::string exif;      // an Exif segment's payload, when not empty
};

std::string Jpeg(const JpegOptions& o) {
  unsigned char* memory = nullptr;
  unsigned long length = 0;
  jpeg_error_mgr errors;
  jpeg_compress_struct codec;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_compress(&codec);
  jpeg_mem_dest(&codec, &memory, &length);
  codec.image_width = o.width;
  codec.image_height = o.height;
  codec.input_components = o.input == JCS_GRAYSCALE ? 1 : o.input == JCS_CMYK ? 4 : 3;
  codec.in_color_space = o.input;
  jpeg_set_defaults(&codec);
  if (o.stored != JCS_UNKNOWN) jpeg_set_colorspace(&codec, o.stored);
  jpeg_set_quality(&codec, o.quality, TRUE);
  codec.comp_info[0].h_samp_factor = o.h0;
  codec.comp_info[0].v_samp_factor = o.v0;
  codec.arith_code = o.arithmetic;
  codec.optimize_coding = o.optimize;
  codec.restart_in_rows = o.restartRows;
  codec.write_Adobe_marker = o.adobe && o.input == JCS_CMYK;
  if (o.progressive) jpeg_simple_progression(&codec);
  jpeg_start_compress(&codec, TRUE);
  if (o.markers) {
    const char comment[] = "seed picture";
    jpeg_write_marker(&codec, JPEG_COM, reinterpret_cast<const JOCTET*>(comment), sizeof comment - 1);
    const char exif[] = "Exif\0\0MM\0*\0\0\0\x08\0\0";
    jpeg_write_marker(&codec, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif), sizeof exif - 1);
  }
  if (!o.exif.empty())
    jpeg_write_marker(&codec, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(o.exif.data()),
                      static_cast<unsigned>(o.exif.size()));
  std::vector<JSAMPLE> row(size_t{o.width} * codec.input_components);
  while (codec.next_scanline < codec.image_height) {
    for (uint32_t x = 0; x < o.width; ++x)
      for (int c = 0; c < codec.input_components; ++c)
        row[size_t{x} * codec.input_components + c] = Sample(x, codec.next_scanline, c);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&codec, rows, 1);
  }
  jpeg_finish_compress(&codec);
  jpeg_destroy_compress(&codec);
  std::string bytes(reinterpret_cast<char*>(memory), length);
  free(memory);
  return bytes;
}

void Put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

struct BmpOptions {
  int32_t width = 5;
  int32_t height = 3;
  uint16_t bpp = 24;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  uint32_t headerSize = 40;
  uint32_t gap = 0;        // bytes between the colour table and the pixels
  int64_t keepBytes = -1;  // cut the file to this length
};

std::string Bmp(const BmpOptions& o) {
  const bool indexed = o.bpp <= 8;
  const uint32_t colours = indexed ? (o.coloursUsed ? o.coloursUsed : 1u << o.bpp) : 0;
  const uint32_t offset = 14 + o.headerSize + 4 * colours + o.gap;
  const uint32_t rows = static_cast<uint32_t>(o.height < 0 ? -o.height : o.height);
  const uint32_t stride = (static_cast<uint32_t>(o.width) * o.bpp + 31) / 32 * 4;
  std::string out = "BM";
  Put(out, offset + stride * rows, 4);
  Put(out, 0, 4);
  Put(out, offset, 4);
  Put(out, o.headerSize, 4);
  Put(out, static_cast<uint32_t>(o.width), 4);
  Put(out, static_cast<uint32_t>(o.height), 4);
  Put(out, 1, 2);
  Put(out, o.bpp, 2);
  Put(out, o.compression, 4);
  Put(out, stride * rows, 4);
  Put(out, 2835, 4);
  Put(out, 2835, 4);
  Put(out, o.coloursUsed, 4);
  Put(out, 0, 4);
  out.resize(14 + o.headerSize, '\0');
  for (uint32_t i = 0; i < colours; ++i) Put(out, (i * 0x3F1E2D) & 0xFFFFFF, 4);
  out.append(o.gap, '\x55');
  for (uint32_t y = 0; y < rows; ++y)
    for (uint32_t i = 0; i < stride; ++i) out.push_back(static_cast<char>(Sample(i, y, 0)));
  if (o.keepBytes >= 0 && static_cast<size_t>(o.keepBytes) < out.size()) out.resize(static_cast<size_t>(o.keepBytes));
  return out;
}

// An Exif segment's payload: the TIFF header in either byte order, IFD0 at `ifd` with a camera
// make (its text after the IFD) and the orientation as SHORT, and the link to the next IFD.
struct ExifOptions {
  bool motorola = false;
  uint16_t orientation = 1;
  uint16_t type = 3;               // SHORT
  uint32_t ifd = 8;                // offset of IFD0
  uint16_t entries = 2;            // the count written, whatever follows
  uint32_t nextIfd = 0;            // the link after IFD0
  bool orientationInIfd1 = false;  // IFD0 has only the make, IFD1 the orientation
};

std::string ExifPayload(const ExifOptions& o) {
  std::string out("Exif\0\0", 6);
  auto put = [&out, &o](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      const int shift = o.motorola ? 8 * (bytes - 1 - i) : 8 * i;
      out.push_back(static_cast<char>(value >> shift));
    }
  };
  auto entry = [&put](uint16_t tag, uint16_t type, uint32_t count, uint32_t value, bool shortValue) {
    put(tag, 2);
    put(type, 2);
    put(count, 4);
    if (shortValue) {
      put(value, 2);
      put(0, 2);
    } else {
      put(value, 4);
    }
  };
  out += o.motorola ? "MM" : "II";
  put(42, 2);
  put(o.ifd, 4);
  const std::string make = "Seed camera";
  const uint32_t makeOffset = 8 + 2 + 2 * 12 + 4;
  put(o.entries, 2);
  entry(0x010F, 2, static_cast<uint32_t>(make.size() + 1), makeOffset, false);
  if (o.orientationInIfd1)
    entry(0x0110, 2, 1, 0, false);
  else
    entry(0x0112, o.type, 1, o.orientation, o.type == 3);
  put(o.nextIfd, 4);
  out += make;
  out.push_back('\0');
  if (o.orientationInIfd1) {
    put(1, 2);
    entry(0x0112, 3, 1, 6, true);
    put(0, 4);
  }
  return out;
}

void MakeExif() {
  for (const bool motorola : {false, true}) {
    for (uint16_t value = 1; value <= 8; ++value) {
      ExifOptions o;
      o.motorola = motorola;
      o.orientation = value;
      Save("exif_orientation", std::string(motorola ? "motorola-" : "intel-") + std::to_string(value), ExifPayload(o));
    }
  }
  struct Seed {
    const char* name;
    std::function<void(ExifOptions&)> set;
  };
  const Seed seeds[] = {
      {"value-0", [](ExifOptions& o) { o.orientation = 0; }},
      {"value-9", [](ExifOptions& o) { o.orientation = 9; }},
      {"type-long", [](ExifOptions& o) { o.type = 4; }},
      {"ifd-past-the-end", [](ExifOptions& o) { o.ifd = 0xFFFFFFF0; }},
      {"ifd-inside-header", [](ExifOptions& o) { o.ifd = 2; }},
      {"entries-past-the-end", [](ExifOptions& o) { o.entries = 0xFFFF; }},
      {"ifd-points-to-itself",
       [](ExifOptions& o) {
         o.nextIfd = 8;
         o.orientationInIfd1 = true;
       }},
      {"ifd-points-to-itself-with-value",
       [](ExifOptions& o) {
         o.motorola = true;
         o.nextIfd = 8;
         o.orientation = 6;
       }},
      {"orientation-only-in-ifd1",
       [](ExifOptions& o) {
         o.nextIfd = 8 + 2 + 2 * 12 + 4 + 12;
         o.orientationInIfd1 = true;
       }},
  };
  for (const Seed& seed : seeds) {
    ExifOptions options;
    seed.set(options);
    Save("exif_orientation", seed.name, ExifPayload(options));
  }
  const std::string whole = ExifPayload(ExifOptions{});
  Save("exif_orientation", "cut-in-entry", whole.substr(0, 6 + 8 + 2 + 12 + 5));
  Save("exif_orientation", "signature-only", whole.substr(0, 6));
  Save("exif_orientation", "empty", "");
  Save("exif_orientation", "not-exif", "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>");
}

void MakeJpegs() {
  struct Seed {
    const char* name;
    std::function<void(JpegOptions&)> set;
  };
  const Seed seeds[] = {
      {"baseline-420", [](JpegOptions&) {}},
      {"baseline-444",
       [](JpegOptions& o) {
         o.h0 = o.v0 = 1;
         o.width = 33;
         o.height = 17;
         o.quality = 90;
       }},
      {"baseline-422",
       [](JpegOptions& o) {
         o.v0 = 1;
         o.width = 40;
         o.height = 24;
       }},
      {"baseline-440",
       [](JpegOptions& o) {
         o.h0 = 1;
         o.width = 24;
         o.height = 40;
       }},
      {"progressive-420", [](JpegOptions& o) { o.progressive = true; }},
      {"progressive-444",
       [](JpegOptions& o) {
         o.progressive = true;
         o.h0 = o.v0 = 1;
         o.width = 31;
         o.height = 29;
       }},
      {"arithmetic",
       [](JpegOptions& o) {
         o.arithmetic = true;
         o.width = 48;
         o.height = 32;
       }},
      {"arithmetic-progressive",
       [](JpegOptions& o) {
         o.arithmetic = true;
         o.progressive = true;
         o.width = 48;
         o.height = 32;
       }},
      {"restarts", [](JpegOptions& o) { o.restartRows = 1; }},
      {"optimized",
       [](JpegOptions& o) {
         o.optimize = true;
         o.width = o.height = 50;
       }},
      {"quality-1", [](JpegOptions& o) { o.quality = 1; }},
      {"quality-100",
       [](JpegOptions& o) {
         o.quality = 100;
         o.width = 24;
         o.height = 16;
       }},
      {"markers",
       [](JpegOptions& o) {
         o.markers = true;
         o.width = o.height = 16;
       }},
      {"gray",
       [](JpegOptions& o) {
         o.input = JCS_GRAYSCALE;
         o.h0 = o.v0 = 1;
         o.width = o.height = 24;
       }},
      {"gray-progressive",
       [](JpegOptions& o) {
         o.input = JCS_GRAYSCALE;
         o.h0 = o.v0 = 1;
         o.progressive = true;
         o.width = 30;
         o.height = 20;
       }},
      {"cmyk",
       [](JpegOptions& o) {
         o.input = JCS_CMYK;
         o.adobe = false;
         o.h0 = o.v0 = 1;
         o.width = o.height = 16;
       }},
      {"cmyk-adobe",
       [](JpegOptions& o) {
         o.input = JCS_CMYK;
         o.h0 = o.v0 = 1;
         o.width = o.height = 16;
       }},
      {"ycck-adobe",
       [](JpegOptions& o) {
         o.input = JCS_CMYK;
         o.stored = JCS_YCCK;
         o.width = o.height = 16;
       }},
      {"rgb-stored",
       [](JpegOptions& o) {
         o.stored = JCS_RGB;
         o.h0 = o.v0 = 1;
         o.width = o.height = 16;
       }},
      {"one-pixel", [](JpegOptions& o) { o.width = o.height = 1; }},
      {"one-column",
       [](JpegOptions& o) {
         o.width = 1;
         o.height = 100;
       }},
      {"one-row",
       [](JpegOptions& o) {
         o.width = 100;
         o.height = 1;
       }},
      {"above-box",
       [](JpegOptions& o) {
         o.width = o.height = 100;
         o.quality = 30;
       }},
      {"wide",
       [](JpegOptions& o) {
         o.width = 300;
         o.height = 8;
         o.quality = 30;
       }},
      {"orientation-6",
       [](JpegOptions& o) {
         ExifOptions exif;
         exif.orientation = 6;
         o.exif = ExifPayload(exif);
         o.width = 120;
         o.height = 40;
       }},
      {"orientation-7-motorola",
       [](JpegOptions& o) {
         ExifOptions exif;
         exif.motorola = true;
         exif.orientation = 7;
         o.exif = ExifPayload(exif);
         o.width = 40;
         o.height = 104;
       }},
      {"orientation-damaged",
       [](JpegOptions& o) {
         ExifOptions exif;
         exif.ifd = 0xFFFFFFF0;
         o.exif = ExifPayload(exif);
         o.width = 40;
         o.height = 24;
       }},
      {"too-wide-for-a-thumbnail",
       [](JpegOptions& o) {
         o.width = 2000;
         o.height = 4;
         o.quality = 10;
       }},
  };
  for (const Seed& seed : seeds) {
    JpegOptions options;
    seed.set(options);
    const std::string bytes = Jpeg(options);
    Save("jpeg_reader", std::string(seed.name) + ".jpg", bytes);
    Save("thumbnail_writer", std::string(seed.name) + ".jpg", bytes);
  }
  // Files cut short: one warning, the whole picture.
  JpegOptions baseline;
  const std::string whole = Jpeg(baseline);
  Save("jpeg_reader", "cut-baseline.jpg", whole.substr(0, whole.size() / 2));
  JpegOptions progressive;
  progressive.progressive = true;
  const std::string scans = Jpeg(progressive);
  Save("jpeg_reader", "cut-progressive.jpg", scans.substr(0, scans.size() * 2 / 3));
  Save("jpeg_reader", "header-only.jpg", whole.substr(0, 200));
  Save("thumbnail_writer", "cut-baseline.jpg", whole.substr(0, whole.size() / 2));
}

void MakeBmps() {
  struct Seed {
    const char* name;
    std::function<void(BmpOptions&)> set;
  };
  const Seed seeds[] = {
      {"rgb24-padded", [](BmpOptions&) {}},
      {"rgb24-unpadded",
       [](BmpOptions& o) {
         o.width = 4;
         o.height = 4;
       }},
      {"rgb24-top-down", [](BmpOptions& o) { o.height = -3; }},
      {"rgb24-cut",
       [](BmpOptions& o) {
         o.width = 8;
         o.height = 4;
         o.keepBytes = 54 + 24 * 3 + 5;
       }},
      {"rgb24-cut-padded", [](BmpOptions& o) { o.keepBytes = 54 + 16 * 2 + 3; }},
      {"rgb32", [](BmpOptions& o) { o.bpp = 32; }},
      {"rgb32-top-down",
       [](BmpOptions& o) {
         o.bpp = 32;
         o.height = -2;
       }},
      {"mono",
       [](BmpOptions& o) {
         o.bpp = 1;
         o.width = 10;
       }},
      {"mono-wide",
       [](BmpOptions& o) {
         o.bpp = 1;
         o.width = 37;
         o.height = 2;
       }},
      {"nibbles",
       [](BmpOptions& o) {
         o.bpp = 4;
         o.width = 7;
         o.height = 5;
       }},
      {"palette-256",
       [](BmpOptions& o) {
         o.bpp = 8;
         o.width = 9;
         o.height = 4;
       }},
      {"palette-short",
       [](BmpOptions& o) {
         o.bpp = 8;
         o.coloursUsed = 5;
       }},
      {"palette-cut",
       [](BmpOptions& o) {
         o.bpp = 8;
         o.coloursUsed = 4;
         o.width = 6;
         o.keepBytes = 54 + 16 + 10;
       }},
      {"header-v4", [](BmpOptions& o) { o.headerSize = 108; }},
      {"header-v5-palette",
       [](BmpOptions& o) {
         o.headerSize = 124;
         o.bpp = 8;
         o.coloursUsed = 3;
       }},
      {"gap-before-pixels", [](BmpOptions& o) { o.gap = 6; }},
      {"rle8",
       [](BmpOptions& o) {
         o.bpp = 8;
         o.compression = 1;
         o.coloursUsed = 2;
       }},
      {"bitfields16",
       [](BmpOptions& o) {
         o.bpp = 16;
         o.compression = 3;
       }},
      {"one-pixel", [](BmpOptions& o) { o.width = o.height = 1; }},
      {"header-only",
       [](BmpOptions& o) {
         o.width = 640;
         o.height = 480;
         o.keepBytes = 54;
       }},
  };
  for (const Seed& seed : seeds) {
    BmpOptions options;
    seed.set(options);
    Save("bmp_reader", std::string(seed.name) + ".bmp", Bmp(options));
  }
}

void MakeNames() {
  const char* const pairs[] = {
      "*.jpg\nphoto.JPG",
      "*.jpg\nphoto.jpeg",
      "a?c\nABC",
      "*a*b*\nxaxbx",
      "*?*?\nab",
      "DSC_*.J?G\ndsc_0042.jpg",
      "*.*\nno-dot",
      "**\n",
      "?\n",
      "C:\\Photos\\*.jpg\nC:\\Photos",
      "C:\\\nimage.jpg",
      "C:\\Photos\\\n\\a.jpg",
      "\\\\server\\share\\2001\\*.*\nholiday.jpg",
      "D:/mixed\\separators/*.jp?\nx",
      "Annotations\nannotations",
      "thumb.cpg\nthumb.CPG",
  };
  int index = 0;
  for (const char* pair : pairs) Save("file_names", "pair-" + std::to_string(index++), pair);
  // Beyond the 127 characters that are compared.
  Save("file_names", "long-names", std::string(140, 'a') + "*\n" + std::string(150, 'a'));
  Save("file_names", "nul-inside", std::string("ab\0cd\nab", 8));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  g_root = argv[1];
  MakeExif();
  MakeJpegs();
  MakeBmps();
  MakeNames();
  return 0;
}
