#pragma once
// Reads the orientation tag (0x0112) from the payload of a JPEG APP1 segment
// ("Exif\0\0" and a TIFF block). Every offset is checked against the payload,
// so any byte string is safe to pass. Pure, any thread. The JPEG decoder, the
// thumbnails and the PDF export share it: a photo stored sideways shows
// upright everywhere.

#include <cstddef>
#include <cstdint>

namespace cxexif {

// 1 (as stored) to 8; 1 when the payload is no EXIF block, has no orientation
// tag, or holds a value outside 1-8.
int ExifOrientation(const uint8_t* payload, size_t size);

// Whether an orientation turns the picture by a quarter (width and height swap).
constexpr bool OrientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

} // namespace cxexif
