#pragma once
// JPEG files of kinds the program never writes itself (gray, CMYK, YCCK), made with the library
// for the decoding tests, and a look into a file's quantisation table.
#include <cstdint>
#include <functional>
#include <string>

enum class JpegKind { Gray, Cmyk, AdobeCmyk, AdobeYcck, Progressive };

// A width x height file of one kind. Gray: a horizontal ramp. The CMYK kinds: every pixel has the
// four stored samples `cmyk` (Adobe's files store inverted ink values). Progressive: a colour
// ramp in the library's standard progressive scans, 4:2:0.
bool WriteJpegOfKind(const std::string& path, JpegKind kind, uint32_t width, uint32_t height,
                     const uint8_t cmyk[4] = nullptr);

// Encodes an RGB picture with the chosen sampling of the luminance (2: 4:2:0, 1: 4:4:4) and scans.
bool WriteJpegSampled(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height, int quality,
                      int lumaSampling, bool progressive = false);

// Encodes a width x height RGB picture (4:2:0, quality 75) a row at a time: row(y) gives row y.
bool WriteJpegRows(const std::string& path, uint32_t width, uint32_t height,
                   const std::function<const uint8_t*(uint32_t)>& row);

// First entry (DC) of the luminance quantisation table, or -1 for an unreadable file.
int LuminanceDcQuantizer(const std::string& path);

// Rewrites the picture size in the frame header (SOF0-SOF2) of JPEG bytes; false without one.
bool SetFrameSize(std::string& jpeg, uint16_t width, uint16_t height);
