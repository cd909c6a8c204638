#pragma once
// Test helpers: a JPEG file with an EXIF orientation, made from a plain one by
// putting an APP1 segment ("Exif\0\0", a little-endian TIFF block whose first
// directory holds the orientation tag) right after the start-of-image marker;
// an upright picture stored the way a camera stores it for each orientation,
// and a check of which way up a picture is. No Qt, so that tests of every layer
// can use them.

#include "image/cximage/CxImage.h"

#include <cstdint>
#include <vector>

namespace exiftest {

// Upright test picture: 120 x 80, white with a black bar along the top edge
// from the left corner to the middle. Every turn and mirror moves the bar.
constexpr uint32_t kUprightWidth = 120;
constexpr uint32_t kUprightHeight = 80;

inline CxImage UprightPicture()
{
    CxImage image(kUprightWidth, kUprightHeight, 24);
    for (uint32_t y = 0; y < kUprightHeight; ++y)
        for (uint32_t x = 0; x < kUprightWidth; ++x) {
            const bool bar = x < kUprightWidth / 2 && y < kUprightHeight / 4; // from the top
            const uint8_t v = bar ? 0 : 255;
            image.SetPixelColor(int32_t(x), int32_t(kUprightHeight - 1 - y), CxRGB(v, v, v));
        }
    return image;
}

// Whether a picture shows UprightPicture() the right way up (size and bar), at
// any scale; rows counted from the top.
inline bool IsUpright(const CxImage& image)
{
    const int32_t w = int32_t(image.GetWidth()), h = int32_t(image.GetHeight());
    if (w * int32_t(kUprightHeight) != h * int32_t(kUprightWidth))
        return false;
    auto dark = [&](double fx, double fy) {
        const RGBQUAD c = image.GetPixelColor(int32_t(fx * w), h - 1 - int32_t(fy * h));
        return c.rgbRed < 128;
    };
    return dark(0.25, 0.12) && dark(0.05, 0.05) && !dark(0.75, 0.12) && !dark(0.25, 0.6) &&
           !dark(0.05, 0.9) && !dark(0.95, 0.9);
}

// Turns an upright picture the way a camera stores it when it writes
// `orientation` (1-8) beside it.
inline bool StoreAs(CxImage& image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.MirrorHorizontal();
    case 3:
        return image.Rotate180();
    case 4:
        return image.FlipVertical();
    case 5: // the transpose is its own inverse
        return image.FlipVertical() && image.RotateRight90();
    case 6:
        return image.RotateLeft90();
    case 7: // as is the transverse
        return image.MirrorHorizontal() && image.RotateRight90();
    case 8:
        return image.RotateRight90();
    default:
        return true;
    }
}

inline std::vector<uint8_t> WithExifOrientation(const std::vector<uint8_t>& jpeg, int orientation)
{
    auto put16 = [](std::vector<uint8_t>& b, unsigned v, bool big) {
        b.push_back(uint8_t(big ? v >> 8 : v & 0xFF));
        b.push_back(uint8_t(big ? v & 0xFF : v >> 8));
    };
    std::vector<uint8_t> payload = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I'};
    put16(payload, 42, false);
    put16(payload, 8, false); // first directory right after the header
    put16(payload, 0, false);
    put16(payload, 1, false);      // one entry:
    put16(payload, 0x0112, false); // orientation,
    put16(payload, 3, false);      // a short,
    put16(payload, 1, false);      // one value
    put16(payload, 0, false);
    put16(payload, unsigned(orientation), false);
    put16(payload, 0, false);
    put16(payload, 0, false); // no next directory
    put16(payload, 0, false);
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    out.push_back(0xFF);
    out.push_back(0xE1);
    put16(out, unsigned(payload.size() + 2), true);
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

} // namespace exiftest
