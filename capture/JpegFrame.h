#pragma once
// Decoding of compressed (JPEG) camera frames. The live picture decodes each
// frame at the smallest DCT scale that still covers the size it is shown at,
// straight into 32-bit rows the view paints; photos and printing decode the
// held frame at full size. A frame with damaged data fails whole: nothing of
// it is shown or kept. Pure functions on caller-owned buffers, any thread.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

class CxImage;

namespace JpegFrame {

// The DCT scales decoded fastest: 1/8, 1/4, 1/2 and 1 (the denominator).
constexpr int kScales[] = {8, 4, 2, 1};

// Width or height of a frame side decoded at 1/denominator (rounded up).
int ScaledSide(int side, int denominator);

// The denominator of the smallest scale whose output is at least shownWidth x
// shownHeight; 1 when the picture is shown at its full size or larger, or when
// nothing is known about the shown size.
int ChooseScale(int frameWidth, int frameHeight, int shownWidth, int shownHeight);

// A frame decoded at a reduced scale: top-down rows of 4 bytes per pixel in
// the order blue, green, red, 255 (a 32-bit RGB picture on little-endian).
struct ScaledFrame
{
    std::vector<uint8_t> bits;
    int width = 0;
    int height = 0;
    int stride = 0;     // bytes per row
    int frameWidth = 0; // the frame's full size
    int frameHeight = 0;
    int denominator = 1; // the scale decoded at
    bool IsValid() const { return width > 0 && height > 0; }
};

// The frame's size from its header; false when there is no readable header.
bool ReadSize(const uint8_t* data, size_t size, int& width, int& height);

// Decodes at 1/denominator (one of kScales) into `out`, reusing its buffer.
// False with the reason when the data is damaged or no JPEG; `out` then holds
// nothing usable.
bool DecodeScaled(const uint8_t* data, size_t size, int denominator, ScaledFrame& out,
                  QString* error = nullptr);

// Decodes at full size into a 24-bit image (bottom-up rows, as the frame
// image keeps them). False with the reason when the data is damaged.
bool DecodeFull(const uint8_t* data, size_t size, CxImage& image, QString* error = nullptr);

} // namespace JpegFrame
