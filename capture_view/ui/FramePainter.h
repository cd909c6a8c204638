#pragma once
// Samples the visible part of a frame into a top-down RGB32 image of the
// viewport's size (nearest neighbour), so a 5 MP frame is never converted or
// scaled whole to be painted. Frames come as bottom-up 24-bit rows (raw
// cameras) or as top-down 32-bit rows of a compressed frame decoded at a
// reduced scale. The output image and the column table are reused between
// paints. User-interface thread.

#include <QImage>
#include <cstdint>
#include <vector>

class FramePainter
{
public:
    // The frame is drawn stretched to a content area of targetWidth x
    // targetHeight, of which the viewport shows the part at (scrollX,
    // scrollY). Viewport pixels outside the content stay black.
    const QImage& Sample(const uint8_t* bits, int stride, int frameWidth, int frameHeight,
                         int viewportWidth, int viewportHeight, int targetWidth, int targetHeight,
                         int scrollX, int scrollY);
    // The same from top-down rows of 32-bit pixels (blue, green, red, 255).
    const QImage& SampleTopDown32(const uint8_t* bits, int stride, int frameWidth, int frameHeight,
                                  int viewportWidth, int viewportHeight, int targetWidth,
                                  int targetHeight, int scrollX, int scrollY);

private:
    template <int BytesPerPixel, bool BottomUp>
    const QImage& SampleRows(const uint8_t* bits, int stride, int frameWidth, int frameHeight,
                             int viewportWidth, int viewportHeight, int targetWidth,
                             int targetHeight, int scrollX, int scrollY);

    QImage m_out;
    std::vector<int> m_columns;
};
