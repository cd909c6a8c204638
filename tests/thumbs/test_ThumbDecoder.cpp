// Thumbnail decoding: sizes, which way up, colours, EXIF orientation, box
// averages, failures; on files written by the image object's codecs.
#include "QtTestRegistry.h"
#include "ThumbTestSupport.h"
#include "image/cximage/CxExif.h"
#include "thumbs/BoxShrink.h"
#include "thumbs/ThumbCell.h"
#include "thumbs/ThumbDecoder.h"
#include "thumbs/ThumbGeometry.h"
#include "thumbs/ThumbJpegWriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace scriva::thumbs;
using cxexif::ExifOrientation;
using thumbtest::near;

namespace {
const QColor kRed(220, 30, 30);
const QColor kBlue(30, 30, 220);

QColor at(const QImage& image, double fx, double fy)
{
    return image.pixelColor(int(fx * (image.width() - 1)), int(fy * (image.height() - 1)));
}
} // namespace

class ThumbDecoderTest : public QObject
{
    Q_OBJECT
private slots:
    void everyFormatShrinksToTheFittedSize_data();
    void everyFormatShrinksToTheFittedSize();
    void exifOrientationTurnsTheThumbnail_data();
    void exifOrientationTurnsTheThumbnail();
    void exifParserReadsOnlyWhatIsThere_data();
    void exifParserReadsOnlyWhatIsThere();
    void boxAveragesDoNotAliasFineDetail();
    void smallPicturesAreEnlarged();
    void brokenFilesFailWithTheirName();
    void cellsHaveWhiteBarsAndAGreyFrame();
    void thumbnailJpegRoundTrips();
};

void ThumbDecoderTest::everyFormatShrinksToTheFittedSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("jpeg landscape")
        << "a.jpg" << QSize(1296, 972) << QSize(125, 100) << QSize(125, 93);
    QTest::newRow("jpeg portrait")
        << "b.jpeg" << QSize(600, 900) << QSize(125, 100) << QSize(66, 100);
    QTest::newRow("jpeg odd size")
        << "c.jpg" << QSize(1001, 333) << QSize(200, 200) << QSize(200, 66);
    QTest::newRow("png") << "d.png" << QSize(800, 600) << QSize(200, 200) << QSize(200, 150);
    QTest::newRow("bmp") << "e.bmp" << QSize(640, 480) << QSize(125, 100) << QSize(125, 93);
    QTest::newRow("tiff") << "f.tif" << QSize(300, 600) << QSize(125, 100) << QSize(50, 100);
}

void ThumbDecoderTest::everyFormatShrinksToTheFittedSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(QSize, box);
    QFETCH(QSize, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(thumbtest::writeTwoColour(path, size.width(), size.height(), kRed, kBlue));
    const ThumbPicture picture = DecodeThumbnail(path, box);
    QVERIFY2(!picture.image.isNull(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), expected);
    QCOMPARE(picture.sourceSize, size);
    QVERIFY(near(at(picture.image, 0.2, 0.5), kRed));
    QVERIFY(near(at(picture.image, 0.8, 0.5), kBlue));
}

void ThumbDecoderTest::exifOrientationTurnsTheThumbnail_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("bigEndian");
    QTest::addColumn<QSize>("expected");
    // Stored 400 x 200, red left / blue right. Where red ends up once upright:
    QTest::addColumn<QPointF>("redAt");
    QTest::newRow("1 as stored") << 1 << false << QSize(100, 50) << QPointF(0.2, 0.5);
    QTest::newRow("2 mirrored") << 2 << true << QSize(100, 50) << QPointF(0.8, 0.5);
    QTest::newRow("3 half turn") << 3 << false << QSize(100, 50) << QPointF(0.8, 0.5);
    QTest::newRow("6 quarter right") << 6 << false << QSize(50, 100) << QPointF(0.5, 0.2);
    QTest::newRow("6 big-endian") << 6 << true << QSize(50, 100) << QPointF(0.5, 0.2);
    QTest::newRow("8 quarter left") << 8 << false << QSize(50, 100) << QPointF(0.5, 0.8);
    QTest::newRow("5 transposed") << 5 << false << QSize(50, 100) << QPointF(0.5, 0.2);
    QTest::newRow("7 transverse") << 7 << false << QSize(50, 100) << QPointF(0.5, 0.8);
    QTest::newRow("9 out of range") << 9 << false << QSize(100, 50) << QPointF(0.2, 0.5);
}

void ThumbDecoderTest::exifOrientationTurnsTheThumbnail()
{
    QFETCH(int, orientation);
    QFETCH(bool, bigEndian);
    QFETCH(QSize, expected);
    QFETCH(QPointF, redAt);
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.jpg");
    QVERIFY(thumbtest::writeTwoColour(plain, 400, 200, kRed, kBlue));
    const QString turned = dir.filePath("turned.jpg");
    QVERIFY(thumbtest::writeAll(
        turned, thumbtest::withExifOrientation(thumbtest::readAll(plain), orientation, bigEndian)));
    const ThumbPicture picture = DecodeThumbnail(turned, QSize(100, 100));
    QVERIFY2(!picture.image.isNull(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), expected);
    QCOMPARE(picture.sourceSize,
             expected.width() > expected.height() ? QSize(400, 200) : QSize(200, 400));
    QVERIFY(near(at(picture.image, redAt.x(), redAt.y()), kRed));
    QVERIFY(near(at(picture.image, 1 - redAt.x(), 1 - redAt.y()), kBlue));
}

void ThumbDecoderTest::exifParserReadsOnlyWhatIsThere_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("orientation");
    const QByteArray good = thumbtest::exifPayload(6);
    QTest::newRow("little-endian") << good << 6;
    QTest::newRow("big-endian") << thumbtest::exifPayload(8, true) << 8;
    QTest::newRow("not exif") << QByteArray("JFIF\0\0II*\0", 10) << 1;
    QTest::newRow("signature only") << good.left(6) << 1;
    QTest::newRow("cut inside the entry") << good.left(good.size() - 8) << 1;
    QTest::newRow("cut before the entry count") << good.left(15) << 1;
    QTest::newRow("wrong type") << thumbtest::exifPayload(6, false, 4) << 1;
    QTest::newRow("zero") << thumbtest::exifPayload(0) << 1;
    QByteArray farIfd = good;
    farIfd[10] = char(0xF0); // IFD offset beyond the block
    QTest::newRow("offset outside") << farIfd << 1;
    QByteArray badOrder = good;
    badOrder[6] = 'X';
    QTest::newRow("bad byte order") << badOrder << 1;
    QByteArray manyEntries = good;
    manyEntries[14] = char(0xFF); // claims 0xFF02 entries
    manyEntries[15] = char(0xFF);
    // The count claims more entries than the block holds: those present are read.
    QTest::newRow("more entries than bytes") << manyEntries << 6;
}

void ThumbDecoderTest::exifParserReadsOnlyWhatIsThere()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, orientation);
    QCOMPARE(ExifOrientation(reinterpret_cast<const uint8_t*>(payload.constData()),
                             size_t(payload.size())),
             orientation);
    QCOMPARE(ExifOrientation(nullptr, 0), 1);
}

void ThumbDecoderTest::boxAveragesDoNotAliasFineDetail()
{
    // One-pixel black and white columns: every sample of a point sampler at an
    // even step would land on one colour; box averages give mid grey.
    QImage stripes(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
    const QImage small = BoxShrink(stripes, QSize(100, 75));
    QCOMPARE(small.size(), QSize(100, 75));
    for (QPoint p : {QPoint(0, 0), QPoint(50, 37), QPoint(99, 74)})
        QVERIFY(near(small.pixelColor(p), QColor(128, 128, 128), 1));
    QVERIFY(BoxShrink(stripes, QSize()).isNull());
}

void ThumbDecoderTest::smallPicturesAreEnlarged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tiny.png");
    QVERIFY(thumbtest::writeTwoColour(path, 10, 5, kRed, kBlue));
    const ThumbPicture picture = DecodeThumbnail(path, QSize(125, 100));
    QCOMPARE(picture.image.size(), QSize(125, 62));
    QVERIFY(near(at(picture.image, 0.1, 0.5), kRed));
}

void ThumbDecoderTest::brokenFilesFailWithTheirName()
{
    QTemporaryDir dir;
    const QString whole = dir.filePath("whole.jpg");
    QVERIFY(thumbtest::writeTwoColour(whole, 320, 240, kRed, kBlue));
    const QByteArray bytes = thumbtest::readAll(whole);
    const QString cut = dir.filePath("cut.jpg");
    QVERIFY(thumbtest::writeAll(cut, bytes.left(bytes.size() / 2)));
    const QString text = dir.filePath("text.png");
    QVERIFY(thumbtest::writeAll(text, "not a picture"));
    const QString wrongInside = dir.filePath("png-inside.jpg");
    QVERIFY(thumbtest::writeTwoColour(dir.filePath("real.png"), 20, 20, kRed, kBlue));
    QVERIFY(thumbtest::writeAll(wrongInside, thumbtest::readAll(dir.filePath("real.png"))));
    for (const QString& path :
         {cut, text, dir.filePath("missing.bmp"), dir.filePath("notes.txt")}) {
        const ThumbPicture picture = DecodeThumbnail(path, QSize(100, 100));
        QVERIFY2(picture.image.isNull(), qPrintable(path));
        QVERIFY2(picture.error.contains(path), qPrintable(picture.error));
    }
    // A PNG named .jpg is left to the image object, which reads what is inside.
    QCOMPARE(DecodeThumbnail(wrongInside, QSize(100, 100)).image.size(), QSize(100, 100));
    QVERIFY(DecodeThumbnail(whole, QSize()).image.isNull());
    QVERIFY(!DecodeThumbnail(whole, QSize(100, 100)).image.isNull());
}

void ThumbDecoderTest::cellsHaveWhiteBarsAndAGreyFrame()
{
    QImage portrait(50, 100, QImage::Format_RGB32);
    portrait.fill(kRed);
    const QImage cell = ComposeCell(portrait, QSize(125, 100));
    QCOMPARE(cell.size(), QSize(125, 100));
    QCOMPARE(cell.pixelColor(10, 50), QColor(Qt::white));  // bar on the left
    QCOMPARE(cell.pixelColor(115, 50), QColor(Qt::white)); // and on the right
    QCOMPARE(cell.pixelColor(62, 50), kRed);
    QCOMPARE(cell.pixel(0, 0) & 0xFFFFFF, kFrameRgb);
    QCOMPARE(cell.pixel(124, 99) & 0xFFFFFF, kFrameRgb);
    const QImage blank = BlankCell(QSize(125, 100));
    QCOMPARE(blank.pixelColor(62, 50), QColor(Qt::white));
    QCOMPARE(blank.pixel(0, 50) & 0xFFFFFF, kFrameRgb);
}

void ThumbDecoderTest::thumbnailJpegRoundTrips()
{
    QTemporaryDir dir;
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(kBlue);
    const QString path = dir.filePath("t.jpg");
    QString error;
    QVERIFY2(WriteThumbJpeg(image, path, &error), qPrintable(error));
    const ThumbPicture back = DecodeThumbnail(path, QSize(200, 200));
    QCOMPARE(back.image.size(), QSize(200, 150));
    QVERIFY(near(back.image.pixelColor(100, 75), kBlue, 8));
    QVERIFY(!WriteThumbJpeg(image, dir.filePath("no/such/folder/t.jpg"), &error));
    QVERIFY(error.contains("no/such/folder"));
}

SCRIVA_QTEST(ThumbDecoderTest)
#include "test_ThumbDecoder.moc"
