#pragma once
// Samples a frame into a top-down RGB32 image of the pane's size through a
// presenter transform (turn, zoom, pan), nearest neighbour, touching only the
// source pixels that land on the screen: a 4K frame is never converted or
// scaled whole to be painted. The source may hold the frame at a reduced size
// (a compressed frame decoded for the screen); the transform stays in full
// frame pixels. Pixels beside the picture are black. The output image and the
// offset table are reused between paints. User-interface thread.

#include "PresenterTransform.h"

#include <QImage>
#include <cstdint>
#include <vector>

class PictureSampler
{
public:
    // Rows of the source: bottom-up 24-bit blue, green, red (raw frames and
    // CxImage) or top-down 32-bit blue, green, red, x (decoded compressed frames).
    enum class Rows { BottomUp24, TopDown32 };

    // The source's width x height holds the transform's frame at that size.
    const QImage& Sample(const uint8_t* bits, int stride, Rows rows, int width, int height,
                         const PresenterTransform& transform);
    const QImage& Image() const { return m_out; }

private:
    QImage m_out;
    std::vector<int64_t> m_columnOffsets;
};
