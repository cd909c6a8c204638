// The memory budget of thumbnail decoding: sizes read from headers, huge or
// lying pictures refused before any buffer exists, and workers sharing the
// budget so that a folder of big pictures never holds more than it at once.
#include "BuilderResults.h"
#include "QtTestRegistry.h"
#include "ThumbTestSupport.h"
#include "thumbs/DecodeBudget.h"
#include "thumbs/ImageHeader.h"
#include "thumbs/ThumbBuilder.h"
#include "thumbs/ThumbDecoder.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace scriva::thumbs;

namespace {

void put16(QByteArray& b, quint16 v, bool be)
{
    char x[2];
    be ? qToBigEndian(v, x) : qToLittleEndian(v, x);
    b.append(x, 2);
}

void put32(QByteArray& b, quint32 v, bool be)
{
    char x[4];
    be ? qToBigEndian(v, x) : qToLittleEndian(v, x);
    b.append(x, 4);
}

// A TIFF of only a header declaring width x height RGBA, bottom-left, whose
// pixels lie past the end of the file. The directory comes after `gap` bytes.
QByteArray lyingTiff(quint32 width, quint32 height, bool be = false, int gap = 0)
{
    struct Entry
    {
        quint16 tag, type;
        quint32 value;
    };
    const Entry entries[] = {{256, 4, width},  {257, 4, height},    {258, 3, 8}, {259, 3, 1},
                             {262, 3, 2},      {273, 4, 100000000}, {274, 3, 4}, {277, 3, 4},
                             {278, 4, height}, {279, 4, width * 4}, {338, 3, 2}};
    QByteArray b(be ? "MM" : "II");
    put16(b, 42, be);
    put32(b, quint32(8 + gap), be);
    b.append(QByteArray(gap, '\0'));
    put16(b, quint16(std::size(entries)), be);
    for (const Entry& e : entries) {
        put16(b, e.tag, be);
        put16(b, e.type, be);
        put32(b, 1, be);
        if (e.type == 3) {
            put16(b, quint16(e.value), be);
            put16(b, 0, be);
        } else {
            put32(b, e.value, be);
        }
    }
    put32(b, 0, be);
    return b;
}

QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray b("\x89PNG\r\n\x1a\n", 8);
    put32(b, 13, true);
    b.append("IHDR");
    put32(b, width, true);
    put32(b, height, true);
    b.append("\x08\x06\x00\x00\x00", 5);
    put32(b, 0, true); // CRC left wrong: nothing may get that far
    return b;
}

QByteArray bmpHeader(qint32 width, qint32 height)
{
    QByteArray b("BM");
    put32(b, 54 + 3 * quint32(width) * quint32(std::abs(height)), false);
    put32(b, 0, false);
    put32(b, 54, false);
    put32(b, 40, false);
    put32(b, quint32(width), false);
    put32(b, quint32(height), false);
    put16(b, 1, false);
    put16(b, 24, false);
    b.append(QByteArray(24, '\0'));
    return b;
}

QSize declaredIn(const QString& path)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return QSize(-1, -1);
    const QSize size = DeclaredImageSize(file);
    std::fclose(file);
    return size;
}

// Restores the shared budget's total when a test ends.
struct BudgetTotal
{
    qint64 kept = DecodeBudget::Shared().Total();
    ~BudgetTotal() { DecodeBudget::Shared().SetTotal(kept); }
};

} // namespace

class DecodeBudgetTest : public QObject
{
    Q_OBJECT
private slots:
    void headersDeclareTheirSize_data();
    void headersDeclareTheirSize();
    void hugePicturesAreRefusedBeforeAnyBuffer_data();
    void hugePicturesAreRefusedBeforeAnyBuffer();
    void aFolderOfLyingTiffsStaysWithinTheBudget();
    void workersShareTheBudget();
    void aShareTooLargeForTheBudgetIsRefusedAtOnce();
};

void DecodeBudgetTest::headersDeclareTheirSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::newRow("tiff") << "a.tif" << lyingTiff(9456, 9456) << QSize(9456, 9456);
    QTest::newRow("tiff big-endian") << "b.tif" << lyingTiff(300, 200, true) << QSize(300, 200);
    QTest::newRow("tiff directory far on")
        << "c.tif" << lyingTiff(640, 480, false, 200000) << QSize(640, 480);
    QTest::newRow("png") << "d.png" << pngHeader(20000, 15000) << QSize(20000, 15000);
    QTest::newRow("bmp bottom-up") << "e.bmp" << bmpHeader(800, 600) << QSize(800, 600);
    QTest::newRow("bmp top-down") << "f.bmp" << bmpHeader(800, -600) << QSize(800, 600);
    QTest::newRow("cut short") << "g.tif" << lyingTiff(10, 10).left(12) << QSize();
    QTest::newRow("no image") << "h.png" << QByteArray("hello, world") << QSize();
    QTest::newRow("empty") << "i.bmp" << QByteArray() << QSize();
}

void DecodeBudgetTest::headersDeclareTheirSize()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    QVERIFY(thumbtest::writeAll(dir.filePath(name), bytes));
    QCOMPARE(declaredIn(dir.filePath(name)), size);
    // Files the image object writes itself.
    for (const char* real : {"r.bmp", "r.png", "r.tif"}) {
        QVERIFY(thumbtest::writeTwoColour(dir.filePath(real), 123, 45, Qt::red, Qt::blue));
        QCOMPARE(declaredIn(dir.filePath(real)), QSize(123, 45));
    }
}

void DecodeBudgetTest::hugePicturesAreRefusedBeforeAnyBuffer_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("size");
    QTest::newRow("tiff 9456 x 9456 RGBA") << "huge.tif" << lyingTiff(9456, 9456) << "9456 x 9456";
    QTest::newRow("tiff named png") << "huge.png" << lyingTiff(9456, 9456) << "9456 x 9456";
    QTest::newRow("png") << "huge.png" << pngHeader(20000, 20000) << "20000 x 20000";
    QTest::newRow("bmp") << "huge.bmp" << bmpHeader(30000, 30000) << "30000 x 30000";
}

void DecodeBudgetTest::hugePicturesAreRefusedBeforeAnyBuffer()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(thumbtest::writeAll(path, bytes));
    DecodeBudget::Shared().SetTotal(DecodeBudget::Shared().Total()); // peak from here
    const ThumbPicture picture = DecodeThumbnail(path, QSize(200, 200));
    QVERIFY(picture.image.isNull());
    QVERIFY(picture.tooLarge);
    QVERIFY2(picture.error.contains(path) && picture.error.contains(size) &&
                 picture.error.contains("too large"),
             qPrintable(picture.error));
    QCOMPARE(DecodeBudget::Shared().Peak(), 0);
}

void DecodeBudgetTest::aFolderOfLyingTiffsStaysWithinTheBudget()
{
    QTemporaryDir dir;
    std::vector<ThumbJob> jobs;
    for (int i = 0; i < 6; ++i) {
        const QString path = dir.filePath(QString("scan%1.tif").arg(i));
        QVERIFY(thumbtest::writeAll(path, lyingTiff(9456, 9456)));
        jobs.push_back(ThumbJob{quint64(i + 1), path});
    }
    ThumbBuilder builder(2);
    thumbtest::BuilderResults r(builder);
    QElapsedTimer clock;
    clock.start();
    builder.Start(jobs, ThumbStyle{QSize(125, 100), true});
    QVERIFY(builder.WaitForDone(20000));
    QTRY_COMPARE(r.ready.size(), size_t(6));
    for (const auto& one : r.ready)
        QVERIFY(one.image.isNull());
    QVERIFY(DecodeBudget::Shared().Peak() <= DecodeBudget::Shared().Total());
}

void DecodeBudgetTest::workersShareTheBudget()
{
    BudgetTotal restore;
    QTemporaryDir dir;
    std::vector<ThumbJob> jobs;
    for (int i = 0; i < 6; ++i) {
        const QString path = dir.filePath(QString("p%1.%2").arg(i).arg(i % 2 ? "png" : "tif"));
        QVERIFY(thumbtest::writeTwoColour(path, 1200, 900, Qt::red, Qt::blue));
        jobs.push_back(ThumbJob{quint64(i + 1), path});
    }
    // Room for one such picture at a time: the two workers take turns.
    const qint64 one = 1200LL * 900 * 8;
    DecodeBudget::Shared().SetTotal(one + one / 2);
    ThumbBuilder builder(2);
    thumbtest::BuilderResults r(builder);
    builder.Start(jobs, ThumbStyle{QSize(125, 100), true});
    QVERIFY(builder.WaitForDone(60000));
    QTRY_COMPARE(r.ready.size(), size_t(6));
    for (const auto& one : r.ready) {
        const QImage& cell = one.image;
        QCOMPARE(cell.size(), QSize(125, 100));
        QVERIFY(thumbtest::near(cell.pixelColor(30, 50), Qt::red));
    }
    QCOMPARE(DecodeBudget::Shared().Peak(), one);
}

void DecodeBudgetTest::aShareTooLargeForTheBudgetIsRefusedAtOnce()
{
    DecodeBudget budget(100);
    QVERIFY(!budget.Acquire(101));
    QVERIFY(budget.Acquire(60));
    {
        const BudgetShare share(budget, 40);
        QVERIFY(share.Held());
        QCOMPARE(budget.Peak(), 100);
    }
    QVERIFY(budget.Acquire(40)); // given back by the share
    budget.Release(100);
    QVERIFY(budget.Acquire(100));
}

SCRIVA_QTEST(DecodeBudgetTest)
#include "test_DecodeBudget.moc"
