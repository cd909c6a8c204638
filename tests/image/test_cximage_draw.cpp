// Drawing CxImage pictures through QPainter: row views, natural and scaled drawing with
// clipping and transparency, stretching, and text stamped into the pixels.
#include "image/CxImageDraw.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>

using namespace scriva;

namespace {

class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        // Nothing of the user's own folders is touched.
        const QByteArray base = m_home.path().toUtf8();
        qputenv("XDG_CONFIG_HOME", base + "/config");
        qputenv("XDG_CACHE_HOME", base + "/cache");
        qputenv("XDG_RUNTIME_DIR", base);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) // no display is needed
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QGuiApplication::instance())
            m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    QTemporaryDir m_home;
    int m_argc = 1;
    char m_name[16] = "test_image";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QGuiApplication> m_app;
};

const auto* const kGui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// 24-bit picture whose colour encodes its top-down position: red = x, green = y from top.
CxImage positionImage(int w, int h)
{
    CxImage img(uint32_t(w), uint32_t(h), 24);
    for (int top = 0; top < h; ++top)
        for (int x = 0; x < w; ++x)
            img.SetPixelColor(x, h - 1 - top, CxRGB(uint8_t(x), uint8_t(top), 77));
    return img;
}

QImage canvas(int w, int h, QRgb fill)
{
    QImage c(w, h, QImage::Format_RGB32);
    c.fill(fill);
    return c;
}

} // namespace

TEST(CxImageDraw, RowsViewSharesTheBottomUpRows)
{
    CxImage img = positionImage(7, 5);
    const QImage view = CxImageRowsView(img);
    EXPECT_EQ(view.format(), QImage::Format_BGR888);
    EXPECT_EQ(view.constBits(), img.GetBits(0)); // no copy
    EXPECT_EQ(view.bytesPerLine(), qsizetype(img.GetEffWidth()));
    EXPECT_EQ(view.pixel(3, 0), qRgb(3, 4, 77)); // first stored row = bottom line
    for (uint32_t bpp : {1u, 4u, 8u}) {
        CxImage pal(9, 3, bpp);
        pal.SetPaletteColor(1, CxRGB(10, 20, 30));
        pal.SetPixelIndex(8, 2, 1);
        const QImage v = CxImageRowsView(pal);
        EXPECT_EQ(v.format(), bpp == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        EXPECT_EQ(v.pixel(8, 2), qRgb(10, 20, 30));
        EXPECT_EQ(v.pixel(7, 2), qRgb(0, 0, 0));
        if (bpp != 4) {
            EXPECT_EQ(v.constBits(), pal.GetBits(0));
        }
    }
    EXPECT_TRUE(CxImageRowsView(CxImage()).isNull());
}

TEST(CxImageDraw, NaturalSizeIsUpright)
{
    CxImage img = positionImage(6, 4);
    QImage target = canvas(20, 20, qRgb(1, 2, 3));
    {
        QPainter p(&target);
        Draw(p, img, 5, 7);
    }
    for (int top = 0; top < 4; ++top)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(target.pixel(5 + x, 7 + top), qRgb(x, top, 77));
    EXPECT_EQ(target.pixel(4, 7), qRgb(1, 2, 3));
    EXPECT_EQ(target.pixel(5, 11), qRgb(1, 2, 3));
}

TEST(CxImageDraw, ScaledDrawingSamplesNearestAndOnlyTheClip)
{
    CxImage img = positionImage(4, 4);
    QImage target = canvas(16, 16, qRgb(9, 9, 9));
    const QRect clip(2, 2, 4, 3);
    {
        QPainter p(&target);
        Draw(p, img, 0, 0, 12, 8, &clip);
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QRgb want = clip.contains(x, y) ? qRgb(x * 4 / 12, y * 4 / 8, 77) : qRgb(9, 9, 9);
            ASSERT_EQ(target.pixel(x, y), want) << x << "," << y;
        }
    // The painter's own clip limits the work just the same.
    QImage t2 = canvas(16, 16, qRgb(9, 9, 9));
    {
        QPainter p(&t2);
        p.setClipRect(QRect(0, 0, 3, 3));
        Draw(p, img, 0, 0, 8, 8);
    }
    EXPECT_EQ(t2.pixel(2, 2), qRgb(1, 1, 77));
    EXPECT_EQ(t2.pixel(3, 3), qRgb(9, 9, 9));
}

TEST(CxImageDraw, TransparentIndexAndAlphaBlendWithTheDevice)
{
    CxImage pal(2, 1, 8);
    pal.SetPaletteColor(0, CxRGB(255, 0, 0));
    pal.SetPaletteColor(1, CxRGB(0, 255, 0));
    pal.SetPixelIndex(1, 0, 1);
    pal.SetTransIndex(0);
    QImage target = canvas(4, 4, qRgb(0, 0, 255));
    {
        QPainter p(&target);
        Draw(p, pal, 0, 0);
        Draw(p, pal, 0, 1, 4, 2);
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 255)); // transparent: the device shows through
    EXPECT_EQ(target.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(3, 2), qRgb(0, 255, 0));
    CxImage rgb = positionImage(1, 1);
    rgb.AlphaCreate();
    rgb.AlphaSet(0, 0, 0);
    {
        QPainter p(&target);
        Draw(p, rgb, 3, 3);
    }
    EXPECT_EQ(target.pixel(3, 3), qRgb(0, 0, 255));
}

TEST(CxImageDraw, StretchFillsTheRectangleUpright)
{
    CxImage img = positionImage(2, 2);
    QImage target = canvas(10, 10, qRgb(0, 0, 0));
    {
        QPainter p(&target);
        Stretch(p, img, QRect(0, 0, 10, 10));
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 77));
    EXPECT_EQ(target.pixel(9, 0), qRgb(1, 0, 77));
    EXPECT_EQ(target.pixel(0, 9), qRgb(0, 1, 77));
    EXPECT_EQ(target.pixel(9, 9), qRgb(1, 1, 77));
}

TEST(CxImageDraw, QImageConversionsRoundTrip)
{
    CxImage img = positionImage(5, 3);
    img.AlphaCreate();
    img.AlphaSet(4, 0, 100);
    const QImage q = CxImageToQImage(img);
    EXPECT_EQ(q.pixel(4, 2), qRgba(4, 2, 77, 100));
    EXPECT_EQ(q.pixel(0, 0), qRgba(0, 0, 77, 255));
    CxImage back;
    ASSERT_TRUE(CxImageFromQImage(q, back));
    EXPECT_EQ(back.AlphaGet(4, 0), 100);
    EXPECT_EQ(CxImage::RGBQUADtoRGB(back.GetPixelColor(2, 2)), CxRGB(2, 0, 77));
}

TEST(CxImageDraw, TextIsStampedIntoThePixels)
{
    CxImage img(200, 80, 24);
    for (uint32_t y = 0; y < 80; ++y)
        std::fill(img.GetBits(y), img.GetBits(y) + 600, uint8_t(255));
    TextInfo info;
    info.text = QStringLiteral("Scan\nPage");
    info.lfont.lfHeight = -20;
    info.fcolor = CxRGB(0, 0, 0);
    ASSERT_TRUE(DrawTextInfo(img, 10, 5, info));
    int dark = 0, darkOutside = 0;
    for (int top = 0; top < 80; ++top)
        for (int x = 0; x < 200; ++x) {
            const bool isDark = img.GetPixelColor(x, 79 - top).rgbRed < 128;
            dark += isDark;
            darkOutside += isDark && (x < 10 || top < 5 || top > 5 + 60);
        }
    EXPECT_GT(dark, 40);
    EXPECT_EQ(darkOutside, 0);

    // A solid red box behind the text, on a palette image, which becomes true colour.
    CxImage pal(120, 60, 8);
    pal.SetGrayPalette();
    info.text = QStringLiteral("Hi");
    info.opaque = 1;
    info.bcolor = CxRGB(255, 0, 0);
    info.b_opacity = 1.0f;
    ASSERT_TRUE(DrawTextInfo(pal, 0, 0, info));
    EXPECT_EQ(pal.GetBpp(), 24u);
    EXPECT_EQ(CxImage::RGBQUADtoRGB(pal.GetPixelColor(1, 58)), CxRGB(255, 0, 0));
    EXPECT_EQ(CxImage::RGBQUADtoRGB(pal.GetPixelColor(119, 0)), CxRGB(0, 0, 0));
    info.text.clear();
    EXPECT_FALSE(DrawTextInfo(pal, 0, 0, info));
}

TEST(CxImageDraw, ScaledRowsAreSampledFromTheBottomLine)
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
