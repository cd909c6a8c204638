// Where a printed image lands: fit-to-page in whole inches and 96-pixel steps,
// screen size at 96 dpi, centring, the sides under one step, and what the page
// painter puts on paper for transparent pictures.

#include "image/PrintLayout.h"
#include "image/cximage/CxImage.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace scriva;
using namespace scriva::image;

TEST(PrintLayout, RectanglesOfBothModes)
{
    struct Case
    {
        const char* what;
        QSize image;
        QSize printable;
        int dpi;
        int mode;
        QRect expected;
    };
    // 2592 x 1944 on 8 x 11 inches at 600 dpi: s = 8/27, the print is 4800 x 3600
    // less what the float factor may truncate.
    const Case cases[] = {
        {"photo at screen size",
         {2592, 1944},
         {4800, 6600},
         600,
         mode::kPrintActualSize,
         {(4800 - 16200) / 2, (6600 - 12150) / 2, 16200, 12150}},
        {"small picture fitted",
         {960, 480},
         {4800, 6600},
         600,
         mode::kPrintFitToPage,
         // fx = 8 / 10, fy = 11 / 5: 6000 x 3000 at 0.8
         {0, (6600 - 2400) / 2, 4800, 2400}},
        {"thin strip: only the width bounds",
         {960, 50},
         {4800, 6600},
         600,
         mode::kPrintFitToPage,
         {0, (6600 - 249) / 2, 4800, 249}}, // 312 x 0.8 truncated
        {"tiny picture: screen size",
         {50, 40},
         {4800, 6600},
         600,
         mode::kPrintFitToPage,
         {(4800 - 312) / 2, (6600 - 250) / 2, 312, 250}},
        {"page under an inch: screen size",
         {960, 960},
         {500, 500},
         600,
         mode::kPrintFitToPage,
         {(500 - 6000) / 2, (500 - 6000) / 2, 6000, 6000}},
        {"no resolution", {960, 960}, {500, 500}, 0, mode::kPrintFitToPage, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintRect(c.image, c.printable, c.dpi, c.dpi, c.mode), c.expected) << c.what;

    const QRect photo = PrintRect({2592, 1944}, {4800, 6600}, 600, 600, mode::kPrintFitToPage);
    EXPECT_GE(photo.width(), 4799);
    EXPECT_LE(photo.width(), 4800);
    EXPECT_GE(photo.height(), 3599);
    EXPECT_LE(photo.height(), 3600);
    EXPECT_EQ(photo.left(), (4800 - photo.width()) / 2);
    EXPECT_EQ(photo.top(), (6600 - photo.height()) / 2);
}

TEST(PrintLayout, TransparentPartsPrintWhite)
{
    CxImage withAlpha(4, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            withAlpha.SetPixelColor(x, y, RGBQUAD{0, 0, 200, 0}); // red
    withAlpha.AlphaCreate();
    withAlpha.AlphaSet(0, 3, 0); // top-left corner fully transparent

    CxImage palette(4, 4, 8);
    palette.SetPaletteColor(0, 0, 0, 0);
    palette.SetPaletteColor(1, 200, 0, 0); // red
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            palette.SetPixelIndex(x, y, x == 0 && y == 3 ? 0 : 1);
    palette.SetTransIndex(0);

    for (const CxImage* image : {&withAlpha, &palette}) {
        QImage page(40, 40, QImage::Format_RGB32);
        page.fill(Qt::blue); // anything but white under the picture
        QPainter painter(&page);
        PrintImage(painter, *image, QRect(0, 0, 40, 40));
        painter.end();
        EXPECT_EQ(page.pixel(5, 5), qRgb(255, 255, 255));
        EXPECT_EQ(page.pixel(35, 35), qRgb(200, 0, 0));
    }
    EXPECT_TRUE(withAlpha.AlphaIsValid()) << "the caller's image is not changed";
}
