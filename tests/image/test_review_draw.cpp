// Scaled drawing picks its source rows counting from the bottom line of the picture,
// as it picks its columns counting from the left.
#include "image/CxImageDraw.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace scriva;

TEST(ReviewDraw, ScaledRowsAreSampledFromTheBottomLine)
{
    // Green = row from the top. Three rows drawn two high: the bottom device row
    // shows the bottom line, the top one the row floor(1 x 3 / 2) = 1 above it.
    const int w = 5, h = 3;
    CxImage img(w, h, 24);
    for (int top = 0; top < h; ++top)
        for (int x = 0; x < w; ++x)
            img.SetPixelColor(x, h - 1 - top, CxRGB(uint8_t(x), uint8_t(top), 77));
    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(qRgb(9, 9, 9));
    {
        QPainter p(&target);
        Draw(p, img, 1, 4, 3, 2);
    }
    // Columns: source x = floor(dx x 5 / 3) = 0, 1, 3.
    const int columns[3] = {0, 1, 3};
    for (int dx = 0; dx < 3; ++dx) {
        EXPECT_EQ(target.pixel(1 + dx, 5), qRgb(columns[dx], 2, 77)) << dx;
        EXPECT_EQ(target.pixel(1 + dx, 4), qRgb(columns[dx], 1, 77)) << dx;
    }
    EXPECT_EQ(target.pixel(1, 3), qRgb(9, 9, 9));
    EXPECT_EQ(target.pixel(1, 6), qRgb(9, 9, 9));
    // Only the clipped part is computed, with the same rows as the whole drawing.
    QImage part(10, 10, QImage::Format_RGB32);
    part.fill(qRgb(9, 9, 9));
    const QRect clip(1, 4, 3, 1);
    {
        QPainter p(&part);
        Draw(p, img, 1, 4, 3, 2, &clip);
    }
    for (int dx = 0; dx < 3; ++dx)
        EXPECT_EQ(part.pixel(1 + dx, 4), qRgb(columns[dx], 1, 77)) << dx;
    EXPECT_EQ(part.pixel(1, 5), qRgb(9, 9, 9));
}
