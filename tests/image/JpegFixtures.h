#pragma once
// JPEG files of kinds the program never writes itself (gray, CMYK, YCCK), made with the library
// for the decoding tests, and a look into a file's quantisation table.
#include <cstdint>
#include <string>

enum class JpegKind { Gray, Cmyk, AdobeCmyk, AdobeYcck, Progressive };

// A width x height file of one kind. Gray: a horizontal ramp. The CMYK kinds: every pixel has the
// four stored samples `cmyk` (Adobe's files store inverted ink values). Progressive: a colour
// ramp in the library's standard progressive scans, 4:2:0.
bool WriteJpegOfKind(const std::string& path, JpegKind kind, uint32_t width, uint32_t height,
                     const uint8_t cmyk[4] = nullptr);

// First entry (DC) of the luminance quantisation table, or -1 for an unreadable file.
int LuminanceDcQuantizer(const std::string& path);

// Rewrites the picture size in the frame header (SOF0-SOF2) of JPEG bytes; false without one.
bool SetFrameSize(std::string& jpeg, uint16_t width, uint16_t height);
