// The list model of the thumbnail column under QAbstractItemModelTester:
// filling, appending, removing, pictures by id, drags as URLs.
#include "QtTestRegistry.h"
#include "ThumbTestSupport.h"
#include "thumbs/ThumbCell.h"
#include "thumbs/ThumbGeometry.h"
#include "thumbs/ThumbJpegWriter.h"
#include "thumbs/ThumbListModel.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>
#include <QUrl>

class ThumbListModelTest : public QObject
{
    Q_OBJECT
private slots:
    void passesTheModelTesterThroughEveryChange();
    void picturesFindTheirRowByIdAfterRowsMove();
    void dragsOfferTheFilesAsUrls();
    void picturesAreKeptSmallAndShownWhole();
    void aCellMadeOnTheWorkerIsShownAsItIs();
};

namespace {
std::vector<ThumbItem> threeItems()
{
    return {ThumbItem{"/p/A.jpg", "a.jpg"}, ThumbItem{"/p/b.jpg", "b.jpg"},
            ThumbItem{"/p/c.png", "c.png"}};
}

// A picture with a photo's kind of content: a lit page with lines of dark
// strokes on a shaded desk, different for every seed.
QImage photoLike(QSize size, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient desk(0, 0, size.width(), size.height());
    desk.setColorAt(0, QColor(90, 70, 50));
    desk.setColorAt(1, QColor(140, 110, 80));
    painter.fillRect(image.rect(), desk);
    const QRect page = image.rect().adjusted(size.width() / 8, size.height() / 10,
                                             -size.width() / 8, -size.height() / 10);
    painter.fillRect(page, QColor(235, 232, 225));
    for (int y = page.top() + 6; y < page.bottom() - 4; y += 5)
        for (int x = page.left() + 4; x < page.right() - 8; x += 3 + int(random.bounded(4)))
            painter.fillRect(x, y, 1 + int(random.bounded(3)), 2, QColor(40, 40, 45));
    return image;
}

QImage filled(QColor c)
{
    QImage image(20, 16, QImage::Format_RGB32);
    image.fill(c);
    return image;
}
} // namespace

void ThumbListModelTest::passesTheModelTesterThroughEveryChange()
{
    ThumbListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SetItems(threeItems());
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString("a.jpg"));
    QCOMPARE(model.data(model.index(0), ThumbListModel::PathRole).toString(), QString("/p/A.jpg"));
    QVERIFY(!model.data(model.index(0), Qt::DecorationRole).isValid()); // no blank set yet
    model.ResetPictures(filled(Qt::white));
    QVERIFY(model.data(model.index(1), Qt::DecorationRole).isValid());
    QVERIFY(!model.IsPainted(1));
    const quint64 id = model.Append(ThumbItem{"/q/New.JPG", "New.JPG"});
    QCOMPARE(model.RowOfId(id), 3);
    QVERIFY(model.SetPicture(id, filled(Qt::red)));
    QVERIFY(model.IsPainted(3));
    QVERIFY(model.RemoveRow(1));
    QVERIFY(!model.RemoveRow(7));
    QVERIFY(!model.RemoveRow(-1));
    QCOMPARE(model.rowCount(), 3);
    QVERIFY(!model.data(model.index(5), Qt::DisplayRole).isValid());
    model.Clear();
    QCOMPARE(model.rowCount(), 0);
}

void ThumbListModelTest::picturesFindTheirRowByIdAfterRowsMove()
{
    ThumbListModel model;
    model.SetItems(threeItems());
    const quint64 lastId = model.Items()[2].id;
    const quint64 firstId = model.Items()[0].id;
    QVERIFY(model.RemoveRow(0));
    QVERIFY(model.SetPicture(lastId, filled(Qt::blue)));
    QVERIFY(model.IsPainted(1)); // c.png moved up to row 1 and got its own picture
    QVERIFY(!model.IsPainted(0));
    QVERIFY(!model.SetPicture(firstId, filled(Qt::blue))); // a removed item gets nothing
    model.SetItems(threeItems());
    QVERIFY(!model.SetPicture(lastId, filled(Qt::blue))); // ids are not reused
    QCOMPARE(model.RowOfPath("/p/c.png"), 2);
    QCOMPARE(model.RowOfPath("/p/a.jpg"), -1); // case counts
}

void ThumbListModelTest::dragsOfferTheFilesAsUrls()
{
    ThumbListModel model;
    model.SetItems(threeItems());
    QCOMPARE(model.mimeTypes(), QStringList("text/uri-list"));
    QVERIFY(model.supportedDragActions() & Qt::MoveAction);
    QVERIFY(model.flags(model.index(0)) & Qt::ItemIsDragEnabled);
    std::unique_ptr<QMimeData> mime(model.mimeData({model.index(2), model.index(0)}));
    QVERIFY(mime);
    QCOMPARE(mime->urls(),
             QList<QUrl>({QUrl::fromLocalFile("/p/c.png"), QUrl::fromLocalFile("/p/A.jpg")}));
}

// The column holds thousands of rows: each keeps its picture in a small form
// and the cell shown is made from it when asked for.
void ThumbListModelTest::picturesAreKeptSmallAndShownWhole()
{
    constexpr int kRows = 300;
    constexpr qint64 kMostPerRow = 40 * 1024;
    const QSize cell(236, 189); // 900 px pane, four cells
    const QSize picture = scriva::thumbs::FitRect(QSize(2592, 1944), cell).size();
    ThumbListModel model;
    std::vector<ThumbItem> items;
    for (int i = 0; i < kRows; ++i)
        items.push_back(ThumbItem{QString("/p/%1.jpg").arg(i), QString("%1.jpg").arg(i)});
    model.SetItems(items);
    model.ResetPictures(scriva::thumbs::BlankCell(cell));
    for (int i = 0; i < kRows; ++i)
        QVERIFY(
            model.SetPicture(model.Items()[size_t(i)].id,
                             scriva::thumbs::ComposeCell(photoLike(picture, quint32(i)), cell)));
    for (int row : {0, 17, kRows - 1}) {
        QVERIFY(model.IsPainted(row));
        const QImage shown =
            qvariant_cast<QPixmap>(model.data(model.index(row), Qt::DecorationRole)).toImage();
        QCOMPARE(shown.size(), cell);
        const QRect place = scriva::thumbs::FitRect(picture, cell);
        const QPoint pageTop(place.center().x(), place.top() + picture.height() / 10 + 2);
        QVERIFY(thumbtest::near(shown.pixelColor(pageTop), QColor(235, 232, 225), 40));
        QVERIFY(thumbtest::near(shown.pixelColor(place.left() + 2, place.top() + 2),
                                QColor(90, 70, 50), 40)); // the desk
        QCOMPARE(shown.pixel(0, 0) & 0xFFFFFF, scriva::thumbs::kFrameRgb);
    }
    const qint64 perRow = model.ResidentBytes() / kRows;
    QVERIFY2(perRow <= kMostPerRow, qPrintable(QString("%1 bytes a row").arg(perRow)));
}

void ThumbListModelTest::aCellMadeOnTheWorkerIsShownAsItIs()
{
    const QSize cell(236, 189);
    const QImage picture = photoLike(scriva::thumbs::FitRect(QSize(2592, 1944), cell).size(), 7);
    const QImage made = scriva::thumbs::ComposeCell(picture, cell);
    const QByteArray jpeg = scriva::thumbs::EncodeThumbJpeg(picture);
    ThumbListModel model;
    model.SetItems(threeItems());
    model.ResetPictures(scriva::thumbs::BlankCell(cell));
    const quint64 first = model.Items()[0].id;
    const quint64 second = model.Items()[1].id;
    const quint64 third = model.Items()[2].id;
    auto shown = [&](int row) {
        return qvariant_cast<QPixmap>(model.data(model.index(row), Qt::DecorationRole))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    // With its cell: shown exactly so (not decoded again from its bytes).
    QVERIFY(model.SetCompressedPicture(first, jpeg, made));
    QCOMPARE(shown(0), made);
    // Without, or with a cell of another size: made from the bytes.
    QVERIFY(model.SetCompressedPicture(second, jpeg));
    QVERIFY(
        model.SetCompressedPicture(third, jpeg, scriva::thumbs::ComposeCell(picture, cell / 2)));
    for (int row : {1, 2}) {
        const QImage fromBytes = shown(row);
        QCOMPARE(fromBytes.size(), cell);
        QVERIFY(fromBytes != made); // JPEG's small losses
        QVERIFY(thumbtest::near(fromBytes.pixelColor(cell.width() / 2, cell.height() / 2),
                                made.pixelColor(cell.width() / 2, cell.height() / 2), 40));
    }
    // New bytes for the row replace the cell kept.
    QVERIFY(model.SetCompressedPicture(first, jpeg));
    QVERIFY(shown(0) != made);
}

SCRIVA_QTEST(ThumbListModelTest)
#include "test_ThumbListModel.moc"
