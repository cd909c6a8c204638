#pragma once
// Where the chosen page size lies in a camera frame: pixels per millimetre for
// each camera model and frame size, the page-frame rectangle, and painting its
// red border into a 24-bit frame. Pure functions, safe on any thread.

#include <cstdint>

class CConfigFile;

namespace PageGeometry {

// Pixels per millimetre of one camera model at one frame size.
struct Scale
{
    float horizontal = 0.0f;
    float vertical = 0.0f;
};

// Page rectangle in frame pixels; rows count from the frame buffer's first row.
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

constexpr int kBorderThickness = 4; // pixels of each red band

// False when the model has no geometry for this frame size (scale left at 0).
bool PixelsPerMm(int cameraModel, int frameWidth, int frameHeight, Scale& out);

// The page frame for a page of heightMm x widthMm; empty when there is no
// geometry, a dimension is 0, or the page is larger than the frame.
Rect PageFrame(int cameraModel, int frameWidth, int frameHeight, int pageHeightMm, int pageWidthMm);

// The page size chosen in the settings (TAKE_PHOTOS_SET/sizePicture looked up
// in PAGE_SIZE as "height, width"); both 0 when the entry is missing.
void ChosenPageSizeMm(const CConfigFile& config, int& heightMm, int& widthMm);

// Paints the four bands of the rectangle (blue 0, green 0, red 255) into
// 24-bit rows of the given stride; every band is clipped to the frame.
void PaintBorder(uint8_t* bits, int stride, int frameWidth, int frameHeight, const Rect& rect);

} // namespace PageGeometry
