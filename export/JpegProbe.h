#pragma once
// Reads the marker structure of a JPEG file without decoding it, to tell whether
// the file can be embedded in a PDF as it is: a baseline (sequential, Huffman,
// 8-bit) grey or colour picture with its own tables and a complete end. Pure and
// reentrant: any thread. Reads outside input, so every length is checked.

#include <cstddef>
#include <cstdint>

namespace scriva::exporter {

struct JpegLayout
{
    uint8_t frameMarker = 0; // second byte of the start-of-frame marker (0xC0 = baseline)
    uint32_t precision = 0;  // bits per sample
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t components = 0;
    bool hasQuantTables = false;
    bool hasHuffmanTables = false;
    bool endsWithEoi = false; // the file's last two bytes are the end-of-image marker
    int orientation = 1;      // EXIF orientation (1-8) of the first APP1 segment that has one
};

// Walks the markers from the start of image to the first scan (reading the EXIF
// orientation on the way). False when the
// bytes are no well-formed JPEG header (layout then holds what was read so far).
// Header forms that a strict reader of the markers would misread (fill bytes,
// marker codes without length before the scan) count as malformed here.
bool ReadJpegLayout(const uint8_t* data, size_t size, JpegLayout& layout);

// True for a layout that a PDF can carry unchanged: baseline, 8-bit, one or three
// components, a size given in the header, both kinds of tables, a complete end.
bool CanEmbedUnchanged(const JpegLayout& layout);

} // namespace scriva::exporter
