// The list model of the thumbnail column under QAbstractItemModelTester:
// filling, appending, removing, pictures by id, drags as URLs.
#include "QtTestRegistry.h"
#include "thumbs/ThumbListModel.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QTest>
#include <QUrl>

class ThumbListModelTest : public QObject
{
    Q_OBJECT
private slots:
    void passesTheModelTesterThroughEveryChange();
    void picturesFindTheirRowByIdAfterRowsMove();
    void dragsOfferTheFilesAsUrls();
};

namespace {
std::vector<ThumbItem> threeItems()
{
    return {ThumbItem{"/p/A.jpg", "a.jpg"}, ThumbItem{"/p/b.jpg", "b.jpg"},
            ThumbItem{"/p/c.png", "c.png"}};
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

SCRIVA_QTEST(ThumbListModelTest)
#include "test_ThumbListModel.moc"
