#pragma once
// Samples the visible part of a bottom-up 24-bit frame into a top-down RGB32
// image of the viewport's size (nearest neighbour), so a 5 MP frame is never
// converted or scaled whole to be painted. The output image and the column
// table are reused between paints. User-interface thread.

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

private:
    QImage m_out;
    std::vector<int> m_columns;
};
