// Marker walk over a JPEG header: each segment is FF, code, big-endian length
// (counting itself), payload; the scan's entropy-coded data follows the
// start-of-scan segment and runs to the end-of-image marker.

#include "JpegProbe.h"

#include "image/cximage/CxExif.h"

namespace scriva::exporter {

namespace {

constexpr uint8_t kMarkerPrefix = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kQuantTables = 0xDB;
constexpr uint8_t kHuffmanTables = 0xC4;
constexpr uint8_t kBaselineFrame = 0xC0;
constexpr uint8_t kApp1 = 0xE1;
constexpr size_t kFrameFixedBytes = 8; // length, precision, height, width, components
constexpr size_t kBytesPerComponent = 3;
constexpr uint32_t kSamplePrecision = 8;

uint32_t readBe16(const uint8_t* p)
{
    return (uint32_t(p[0]) << 8) | p[1];
}

// Start-of-frame codes: C0-CF except C4 (Huffman tables), C8 (reserved), CC (arithmetic
// conditioning).
bool isFrameMarker(uint8_t code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// Marker codes that carry no length field.
bool isStandalone(uint8_t code)
{
    return code == 0x01 || (code >= 0xD0 && code <= kEndOfImage);
}

bool readFrame(const uint8_t* segment, size_t length, uint8_t code, JpegLayout& layout)
{
    if (layout.frameMarker != 0 || length < kFrameFixedBytes)
        return false; // a second frame (hierarchical file) or a short header
    layout.frameMarker = code;
    layout.precision = segment[2];
    layout.height = readBe16(segment + 3);
    layout.width = readBe16(segment + 5);
    layout.components = segment[7];
    if (length != kFrameFixedBytes + kBytesPerComponent * layout.components)
        return false;
    for (uint32_t c = 0; c < layout.components; ++c) {
        const uint8_t sampling = segment[kFrameFixedBytes + kBytesPerComponent * c + 1];
        const uint8_t h = sampling >> 4, v = sampling & 0x0F;
        if (h < 1 || h > 4 || v < 1 || v > 4)
            return false;
    }
    return true;
}

void noteSegment(uint8_t code, const uint8_t* payload, size_t size, JpegLayout& layout)
{
    if (code == kApp1 && layout.orientation == 1)
        layout.orientation = cxexif::ExifOrientation(payload, size);
    else if (code == kQuantTables)
        layout.hasQuantTables = true;
    else if (code == kHuffmanTables)
        layout.hasHuffmanTables = true;
}

} // namespace

bool ReadJpegLayout(const uint8_t* data, size_t size, JpegLayout& layout)
{
    layout = JpegLayout{};
    if (!data || size < 4 || data[0] != kMarkerPrefix || data[1] != kStartOfImage)
        return false;
    size_t pos = 2;
    for (;;) {
        if (size - pos < 4 || data[pos] != kMarkerPrefix)
            return false;
        const uint8_t code = data[pos + 1];
        if (code == kMarkerPrefix || code == 0x00 || isStandalone(code))
            return false;
        const size_t length = readBe16(data + pos + 2);
        if (length < 2 || length > size - pos - 2)
            return false;
        const uint8_t* segment = data + pos + 2;
        if (isFrameMarker(code) && !readFrame(segment, length, code, layout))
            return false;
        noteSegment(code, segment + 2, length - 2, layout);
        pos += 2 + length;
        if (code == kStartOfScan)
            break;
    }
    if (layout.frameMarker == 0)
        return false; // a scan before any frame
    layout.endsWithEoi =
        size - pos >= 2 && data[size - 2] == kMarkerPrefix && data[size - 1] == kEndOfImage;
    return true;
}

bool CanEmbedUnchanged(const JpegLayout& layout)
{
    return layout.frameMarker == kBaselineFrame && layout.precision == kSamplePrecision &&
           (layout.components == 1 || layout.components == 3) && layout.width > 0 &&
           layout.height > 0 && layout.hasQuantTables && layout.hasHuffmanTables &&
           layout.endsWithEoi;
}

} // namespace scriva::exporter
