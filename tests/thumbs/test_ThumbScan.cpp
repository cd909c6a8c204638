// Folder scan of the thumbnail column: which files are listed, their order,
// their labels and paths; cell sizes and paint order.
#include "QtTestRegistry.h"
#include "ThumbTestSupport.h"
#include "thumbs/ThumbDecoder.h"
#include "thumbs/ThumbGeometry.h"
#include "thumbs/ThumbScan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace scriva::thumbs;

class ThumbScanTest : public QObject
{
    Q_OBJECT
private slots:
    void scanListsImagesInCodeUnitOrder();
    void scanKeepsTheRealCaseInPaths();
    void folderWithoutImagesGivesNothing();
    void onlyRegularFilesAreListed();
    void aFifoNamedLikeAPhotoIsNeverOpened();
    void addedPathsKeepTheirCase();
    void cellSize_data();
    void cellSize();
    void fitRectCentresPortraitAndLandscape_data();
    void fitRectCentresPortraitAndLandscape();
    void paintOrderStartsAtTheFirstVisibleItem_data();
    void paintOrderStartsAtTheFirstVisibleItem();
};

void ThumbScanTest::scanListsImagesInCodeUnitOrder()
{
    QTemporaryDir dir;
    for (const char* name : {"p9.jpg", "p10.jpg", "notes.txt", ".hidden.png", "a.tiff", "Z.bmp"})
        QVERIFY(thumbtest::writeAll(dir.filePath(name), "x"));
    QVERIFY(QDir(dir.path()).mkdir("sub.jpg")); // a folder named like an image
    const std::vector<ThumbItem> items = ScanImageFolder(dir.path());
    QStringList names;
    for (const ThumbItem& item : items) {
        names << item.name;
        QVERIFY(!item.skip);
        QCOMPARE(item.path, dir.path() + "/" + QFileInfo(item.path).fileName());
    }
    // Lower-cased labels sort "p10" before "p9" and "z.bmp" after them.
    QCOMPARE(names, QStringList({".hidden.png", "a.tiff", "p10.jpg", "p9.jpg", "z.bmp"}));
}

void ThumbScanTest::scanKeepsTheRealCaseInPaths()
{
    QTemporaryDir dir;
    QVERIFY(thumbtest::writeAll(dir.filePath("IMG_0001.JPG"), "x"));
    QVERIFY(thumbtest::writeAll(dir.filePath("img_0001.jpg"), "y"));
    const std::vector<ThumbItem> items = ScanImageFolder(dir.path() + "/");
    QCOMPARE(items.size(), size_t(2));
    // Both labels read the same; the paths reach two different files.
    QCOMPARE(items[0].name, QString("img_0001.jpg"));
    QCOMPARE(items[1].name, QString("img_0001.jpg"));
    QCOMPARE(items[0].path, dir.filePath("IMG_0001.JPG"));
    QCOMPARE(items[1].path, dir.filePath("img_0001.jpg"));
    QVERIFY(QFile::exists(items[0].path));
}

void ThumbScanTest::folderWithoutImagesGivesNothing()
{
    QTemporaryDir dir;
    QVERIFY(thumbtest::writeAll(dir.filePath("a.txt"), "x"));
    QVERIFY(ScanImageFolder(dir.path()).empty());
    QVERIFY(ScanImageFolder(dir.path() + "/missing").empty());
    QVERIFY(ScanImageFolder(QString()).empty());
}

void ThumbScanTest::onlyRegularFilesAreListed()
{
    QTemporaryDir dir;
    QVERIFY(thumbtest::writeTwoColour(dir.filePath("a.png"), 40, 30, Qt::red, Qt::blue));
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("page.jpg")).constData(), 0600) == 0);
    QVERIFY(QFile::link(dir.filePath("a.png"), dir.filePath("b_link.png")));
    QVERIFY(QFile::link(dir.filePath("gone.png"), dir.filePath("c_dangling.png")));
    QStringList names;
    for (const ThumbItem& item : ScanImageFolder(dir.path()))
        names << item.name;
    // A link to a photo counts as the photo; the pipe and the dangling link do not.
    QCOMPARE(names, QStringList({"a.png", "b_link.png"}));
}

void ThumbScanTest::aFifoNamedLikeAPhotoIsNeverOpened()
{
    QTemporaryDir dir;
    for (const char* name : {"page.jpg", "page.png", "page.tif", "page.bmp"}) {
        const QString path = dir.filePath(name);
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        // A reader that blocks on the pipe is set free by opening its other end
        // (again for every further open), so a failure here ends instead of
        // hanging the suite.
        auto decoded =
            std::async(std::launch::async, [path] { return DecodeThumbnail(path, QSize(64, 64)); });
        if (decoded.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            // At most 10 s of knocking; a reader that stays blocked even so
            // is left behind (abort: the future's end would wait for it).
            int knocks = 0;
            while (decoded.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
                if (++knocks > 200)
                    qFatal("%s blocked the thumbnail decoder for good", qPrintable(path));
                const int writer =
                    ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0)
                    ::close(writer);
            }
            QFAIL(qPrintable(path + " blocked the thumbnail decoder"));
        }
        const ThumbPicture picture = decoded.get();
        QVERIFY(picture.image.isNull());
        QVERIFY2(picture.error.contains(path), qPrintable(picture.error));
        QVERIFY2(picture.error.contains("not a regular file"), qPrintable(picture.error));
    }
}

void ThumbScanTest::addedPathsKeepTheirCase()
{
    QCOMPARE(ItemForPath("/p/Photo_1.JPG").name, QString("Photo_1.JPG"));
    QCOMPARE(ItemForPath("C:\\p\\A.bmp").name, QString("A.bmp"));
    QCOMPARE(ItemForPath("plain.jpg").name, QString()); // no folder: not added
}

void ThumbScanTest::cellSize_data()
{
    QTest::addColumn<int>("pane");
    QTest::addColumn<int>("num");
    QTest::addColumn<int>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<bool>("painted");
    QTest::newRow("four per pane")
        << 800 << 4 << 16 << 1000 << QSize(206, 165) << true; // 200 - 16 - 19
    QTest::newRow("one") << 400 << 1 << 16 << 1000 << QSize(456, 365) << true;
    QTest::newRow("zero counts as one") << 400 << 0 << 16 << 1000 << QSize(456, 365) << true;
    QTest::newRow("negative counts as one") << 400 << -5 << 16 << 1000 << QSize(456, 365) << true;
    QTest::newRow("short pane never reaches zero") << 30 << 4 << 16 << 1000 << QSize(1, 1) << false;
    QTest::newRow("empty pane") << 0 << 4 << 16 << 1000 << QSize(1, 1) << false;
    QTest::newRow("column exactly as wide") << 800 << 4 << 16 << 206 << QSize(206, 165) << true;
    QTest::newRow("two in a narrow column") << 800 << 2 << 16 << 220 << QSize(220, 365) << true;
    QTest::newRow("one in a narrow column") << 400 << 1 << 16 << 200 << QSize(200, 365) << true;
    QTest::newRow("no column at all") << 400 << 1 << 16 << 0 << QSize(1, 365) << true;
    // The lowest cell that gets a picture, and the one below it.
    QTest::newRow("exactly 8 px high") << 172 << 4 << 16 << 1000 << QSize(10, 8) << true;
    QTest::newRow("7 px high") << 168 << 4 << 16 << 1000 << QSize(8, 7) << false;
    QTest::newRow("8 px high, 1 px wide") << 172 << 4 << 16 << 1 << QSize(1, 8) << true;
}

void ThumbScanTest::cellSize()
{
    QFETCH(int, pane);
    QFETCH(int, num);
    QFETCH(int, text);
    QFETCH(int, column);
    QFETCH(QSize, cell);
    QFETCH(bool, painted);
    QCOMPARE(CellSize(pane, num, text, column), cell);
    QCOMPARE(CellIsPainted(cell), painted);
}

void ThumbScanTest::fitRectCentresPortraitAndLandscape_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<QRect>("place");
    // A portrait page in a landscape cell: full height, white bars left and right.
    QTest::newRow("portrait") << QSize(1000, 2000) << QSize(125, 100) << QRect(37, 0, 50, 100);
    // A wide picture: full width, bars above and below.
    QTest::newRow("wide landscape")
        << QSize(4000, 1000) << QSize(125, 100) << QRect(0, 34, 125, 31);
    QTest::newRow("cell shape") << QSize(250, 200) << QSize(125, 100) << QRect(0, 0, 125, 100);
    QTest::newRow("one pixel tall") << QSize(10000, 1) << QSize(125, 100) << QRect(0, 49, 125, 1);
    QTest::newRow("empty image") << QSize(0, 10) << QSize(125, 100) << QRect();
}

void ThumbScanTest::fitRectCentresPortraitAndLandscape()
{
    QFETCH(QSize, image);
    QFETCH(QSize, cell);
    QFETCH(QRect, place);
    QCOMPARE(FitRect(image, cell), place);
    QCOMPARE(FitLongestSide(QSize(2592, 1944), 200), QSize(200, 150));
    QCOMPARE(FitLongestSide(QSize(1944, 2592), 200), QSize(150, 200));
}

void ThumbScanTest::paintOrderStartsAtTheFirstVisibleItem_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("visible");
    QTest::addColumn<QList<int>>("order");
    // First visible item 0: nothing above it to paint.
    QTest::newRow("top") << 5 << 0 << 2 << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("middle") << 7 << 3 << 2 << QList<int>{3, 4, 5, 2, 6, 1, 0};
    QTest::newRow("bottom") << 4 << 3 << 3 << QList<int>{3, 2, 1, 0};
    QTest::newRow("first beyond the end") << 3 << 9 << 1 << QList<int>{2, 1, 0};
    QTest::newRow("empty") << 0 << 0 << 1 << QList<int>{};
}

void ThumbScanTest::paintOrderStartsAtTheFirstVisibleItem()
{
    QFETCH(int, count);
    QFETCH(int, first);
    QFETCH(int, visible);
    QFETCH(QList<int>, order);
    const std::vector<int> got = PaintOrder(count, first, visible);
    QCOMPARE(QList<int>(got.begin(), got.end()), order);
}

SCRIVA_QTEST(ThumbScanTest)
#include "test_ThumbScan.moc"
