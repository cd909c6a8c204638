#pragma once
// The resolution an image file's header states, read without decoding the
// picture: the JFIF density of a JPEG file, the pHYs chunk of a PNG file, the
// pixels per metre of a BMP file, the first directory's resolution of a TIFF
// file. Pure and reentrant; reads outside input, so every length is checked.

#include <cstdint>
#include <vector>

namespace scriva::exporter {

// Dots per inch across and down; false (both 0) when the header states none (a
// JFIF aspect ratio without unit, no pHYs, zero pixels per metre, a TIFF without
// resolution or with no unit). format: the image library's format id. Values
// stored per metre or centimetre that lie within a twentieth of a whole number of
// dots per inch are that number (72 dpi is stored as 2835 per metre).
bool HeaderResolution(const std::vector<uint8_t>& bytes, uint32_t format, double& dpiX,
                      double& dpiY);

} // namespace scriva::exporter
