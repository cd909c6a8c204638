// The thumbnail column as a user meets it: scan, labelled cells filling in,
// cell geometry, selection rules and keys, click to open, next/previous,
// delete and clear all with their boxes, refusal during a rebuild, the context
// menu, added photos. Real files written by the image object's codecs.
#include "EventIdle.h"
#include "QtTestRegistry.h"
#include "ThumbTestSupport.h"
#include "config/CConfigFile.h"
#include "tests/common/TestWindowServices.h"
#include "thumbs/ThumbBuilder.h"
#include "thumbs/ThumbCache.h"
#include "thumbs/ThumbGeometry.h"
#include "thumbs/ThumbListModel.h"
#include "thumbs/ui/CThumbView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace scriva::thumbs;

namespace {

const QColor kRed(220, 30, 30);
const QColor kBlue(30, 30, 220);

// A shown column over a folder of pages, with hooks that record what the
// column asks of the program and answer its boxes from a script.
struct Fixture : ThumbViewHooks, TestWindowServices
{
    QTemporaryDir dir;
    CScrivaDoc doc;
    CConfigFile settings;
    CThumbView view{doc};
    QStringList opened;
    QList<int> messages; // the numbered boxes shown
    QMessageBox::StandardButton answer = QMessageBox::No;
    bool operationRunning = false;
    int menusShown = 0;
    QStringList textsShown;

    explicit Fixture(int thumbnailNum = 4)
    {
        settings.SetInt("thumbnailNum", thumbnailNum, "TAKE_PHOTOS_SET");
        view.SetSettings(&settings);
        texts = [](int id) { return QString::number(id); };
        view.SetHooks(*this);
        view.SetWindow(*this);
        view.resize(240, 640);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }

    bool OpenPath(const QString& path) override
    {
        opened << path;
        return true;
    }
    QMenu* ContextMenu(QWidget*) override
    {
        ++menusShown;
        return nullptr; // counted, not shown: exec would block the test
    }
    bool ImageOperationRunning() const override { return operationRunning; }
    void ShowItemText(const QString& path) override { textsShown << path; }
    Button Ask(QWidget*, const QString& text, Buttons, Icon, Button, const QString&) override
    {
        messages << text.toInt();
        return Button(int(answer));
    }

    QString page(const QString& name, int w = 400, int h = 300)
    {
        const QString path = dir.filePath(name);
        if (!thumbtest::writeTwoColour(path, w, h, kRed, kBlue))
            return QString();
        return path;
    }

    bool waitBuilt()
    {
        return QTest::qWaitFor([this] { return !view.IsBuilding(); }, 20000);
    }

    bool allPainted()
    {
        return QTest::qWaitFor(
            [this] {
                for (int i = 0; i < view.ItemCount(); ++i)
                    if (!view.listModel()->IsPainted(i))
                        return false;
                return true;
            },
            20000);
    }

    QImage cell(int row) const
    {
        return qvariant_cast<QPixmap>(
                   view.listModel()->data(view.listModel()->index(row), Qt::DecorationRole))
            .toImage();
    }

    QPoint centreOf(int row) const { return view.visualRect(view.model()->index(row, 0)).center(); }
};

} // namespace

class CThumbViewTest : public QObject
{
    Q_OBJECT
private slots:
    void scanShowsLabelledCellsThenPictures();
    void cellsFollowThePaneAndTheSetting();
    void cellsNeverOverflowTheColumn_data();
    void cellsNeverOverflowTheColumn();
    void portraitAndLandscapePhotosSitInTheirCells();
    void narrowPaneGetsNoPicturesUntilWidened();
    void rebuildDropsPicturesOfTheCancelledRun();
    void aTallerPaneGetsItsOwnCellsOnceSettled();
    void selectItemRules();
    void nextAndPreviousMoveAndOpen();
    void clickOpensPlainClicksOnly();
    void ctrlASelectsAllPlainADoesNothing();
    void deleteDuringARebuildIsRefused();
    void deleteWithNoKeepsFilesWithYesDeletesThem();
    void deletingTheLastItemClearsTheDocument();
    void deleteKeyWaitsForARunningOperation();
    void clearAllDeletesEveryFileAndEmptiesTheDocument();
    void clearAllCancelledChangesNothing();
    void addedPhotosKeepTheirCaseAndAreSelected();
    void deletingWhileAnAddedPhotoPaints();
    void contextMenuOnlyOnItems();
    void commandsReachTheColumn();
    void thumbnailsAreSharedWithTheDesktop();
};

void CThumbViewTest::scanShowsLabelledCellsThenPictures()
{
    Fixture f;
    f.page("IMG_2.JPG");
    f.page("img_10.png");
    f.page("b.bmp");
    QVERIFY(thumbtest::writeAll(f.dir.filePath("notes.txt"), "x"));
    QSignalSpy listed(&f.view, &CThumbView::filesListed);
    f.view.ScanFolder(f.dir.path());
    QCOMPARE(f.view.ItemCount(), 3);
    QCOMPARE(f.view.IsBuilding(), true);
    // Labels at once, lower-cased; blank framed cells until the pictures come.
    const auto* model = f.view.listModel();
    QCOMPARE(model->data(model->index(0), Qt::DisplayRole).toString(), QString("b.bmp"));
    QCOMPARE(model->data(model->index(1), Qt::DisplayRole).toString(), QString("img_10.png"));
    QCOMPARE(model->data(model->index(2), Qt::DisplayRole).toString(), QString("img_2.jpg"));
    QCOMPARE(f.view.PathAt(2), f.dir.filePath("IMG_2.JPG"));
    QCOMPARE(f.cell(0).size(), f.view.CellSize());
    QVERIFY(!model->IsPainted(0));
    QCOMPARE(listed.size(), 1);
    QCOMPARE(f.view.SelectedIndex(), 0);
    QVERIFY(f.waitBuilt());
    QVERIFY(f.allPainted());
    QVERIFY(thumbtest::near(
        f.cell(2).pixelColor(f.view.CellSize().width() / 4, f.view.CellSize().height() / 2), kRed));
    // A folder without pictures leaves the list alone.
    QTemporaryDir empty;
    f.view.ScanFolder(empty.path());
    QCOMPARE(f.view.ItemCount(), 3);
}

void CThumbViewTest::cellsFollowThePaneAndTheSetting()
{
    for (int num : {4, 1, 0, -2}) {
        Fixture f(num);
        f.page("a.jpg");
        f.view.ScanFolder(f.dir.path());
        const int text = f.view.fontMetrics().height();
        const int per = std::max(1, num);
        const QSize cell = f.view.CellSize();
        const int pane = f.view.height() - 2 * f.view.frameWidth(); // before any scroll bar
        QCOMPARE(cell.height(), pane / per - text - kLabelGapPx);
        // Width from the height, but never wider than the column: four fit,
        // one would be 750 px wide and takes the column's width instead.
        const int fromHeight = int(cell.height() * kCellWidthRatio);
        if (per == 4)
            QCOMPARE(cell.width(), fromHeight);
        QVERIFY(cell.width() <= fromHeight);
        QVERIFY(cell.width() <= f.view.viewport()->width());
        QVERIFY(cell.width() >= std::min(fromHeight, f.view.viewport()->width() - 20));
        QCOMPARE(f.view.iconSize(), cell);
        // One thumbnail per row whatever the width.
        QCOMPARE(f.view.gridSize().width(), std::max(cell.width(), f.view.viewport()->width()));
        QCOMPARE(f.view.gridSize().height(), cell.height() + text + kRowSpacingPx);
    }
}

void CThumbViewTest::cellsNeverOverflowTheColumn_data()
{
    QTest::addColumn<int>("num");
    QTest::addColumn<int>("photos");
    QTest::addColumn<QSize>("pane");
    QTest::newRow("two, few photos") << 2 << 1 << QSize(240, 640);
    QTest::newRow("two, scroll bar") << 2 << 6 << QSize(240, 640);
    QTest::newRow("one, scroll bar") << 1 << 3 << QSize(240, 640);
    QTest::newRow("three, wide pane") << 3 << 6 << QSize(600, 640);
    QTest::newRow("four, narrow pane") << 4 << 9 << QSize(120, 640);
}

void CThumbViewTest::cellsNeverOverflowTheColumn()
{
    QFETCH(int, num);
    QFETCH(int, photos);
    QFETCH(QSize, pane);
    Fixture f(num);
    f.view.resize(pane);
    for (int i = 0; i < photos; ++i)
        f.page(QString("p%1.jpg").arg(i), 400, 300);
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.allPainted());
    // A scroll bar that came resizes the pane: its settle timer fires and may
    // rebuild the cells; wait for that instead of a fixed time.
    QVERIFY(scriva::test::processUntilIdle());
    const auto settling = [&f] {
        for (const QTimer* timer : f.view.findChildren<QTimer*>())
            if (timer->interval() == CThumbView::kResizeSettleMs && timer->isActive())
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(!settling(), 5000);
    QVERIFY(scriva::test::processUntilIdle());
    QVERIFY(f.allPainted());
    const QSize cell = f.view.CellSize();
    const int text = f.view.fontMetrics().height();
    const int per = std::max(1, num);
    // The height still shares the pane among `num` cells; the width gives way.
    QCOMPARE(cell.height(), (pane.height() - 2 * f.view.frameWidth()) / per - text - kLabelGapPx);
    QVERIFY(cell.width() <= int(cell.height() * kCellWidthRatio));
    const QRect viewport = f.view.viewport()->rect();
    QVERIFY2(
        cell.width() <= viewport.width(),
        qPrintable(QString("cell %1 wide, column %2").arg(cell.width()).arg(viewport.width())));
    QCOMPARE(f.view.horizontalScrollBar()->maximum(), 0);
    QCOMPARE(f.view.horizontalScrollBar()->isVisible(), false);
    for (int row = 0; row < f.view.ItemCount(); ++row) {
        const QRect item = f.view.visualRect(f.view.model()->index(row, 0));
        QVERIFY2(item.left() >= 0 && item.right() <= viewport.right(),
                 qPrintable(QString("row %1 spans %2..%3 of %4")
                                .arg(row)
                                .arg(item.left())
                                .arg(item.right())
                                .arg(viewport.width())));
        QCOMPARE(f.cell(row).size(), cell);
    }
    // The photo fills the narrowed cell's width, centred from top to bottom.
    const QRect place = FitRect(QSize(400, 300), cell);
    QCOMPARE(place.width(), cell.width());
    QVERIFY(thumbtest::near(
        f.cell(0).pixelColor(place.left() + place.width() / 4, place.center().y()), kRed));
}

void CThumbViewTest::portraitAndLandscapePhotosSitInTheirCells()
{
    Fixture f(4);
    f.page("a_portrait.jpg", 300, 600);
    f.page("b_landscape.jpg", 1200, 300);
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.allPainted());
    const QSize cell = f.view.CellSize();
    const QImage portrait = f.cell(0);
    const QImage landscape = f.cell(1);
    QCOMPARE(portrait.size(), cell);
    const QRect p = FitRect(QSize(300, 600), cell);
    const QRect l = FitRect(QSize(1200, 300), cell);
    const int midY = cell.height() / 2;
    const int midX = cell.width() / 2;
    // Portrait: white bars left and right, the page in the middle.
    QCOMPARE(portrait.pixelColor(p.left() / 2, midY), QColor(Qt::white));
    QCOMPARE(portrait.pixelColor((p.right() + cell.width()) / 2, midY), QColor(Qt::white));
    QVERIFY(thumbtest::near(portrait.pixelColor(p.left() + p.width() / 4, midY), kRed));
    QVERIFY(thumbtest::near(portrait.pixelColor(p.right() - p.width() / 4, midY), kBlue));
    // Landscape: white bars above and below.
    QCOMPARE(landscape.pixelColor(midX, l.top() / 2), QColor(Qt::white));
    QCOMPARE(landscape.pixelColor(midX, (l.bottom() + cell.height()) / 2), QColor(Qt::white));
    QVERIFY(thumbtest::near(landscape.pixelColor(l.width() / 4, midY), kRed));
    QCOMPARE(landscape.pixel(0, 0) & 0xFFFFFF, kFrameRgb);
}

void CThumbViewTest::narrowPaneGetsNoPicturesUntilWidened()
{
    Fixture f;
    f.page("a.jpg");
    f.view.resize(kMinPaneWidthPx, 400);
    QTRY_VERIFY(f.view.viewport()->width() <= kMinPaneWidthPx);
    f.view.ScanFolder(f.dir.path());
    QCOMPARE(f.view.ItemCount(), 1);
    QVERIFY(!f.view.IsBuilding());
    QVERIFY(scriva::test::processUntilIdle());
    QVERIFY(!f.view.listModel()->IsPainted(0));
    f.view.resize(240, 400);
    QTRY_VERIFY(f.view.viewport()->width() > kMinPaneWidthPx);
    QVERIFY(!f.view.listModel()->IsPainted(0)); // widening alone does not paint
    f.view.RebuildThumbnails();
    QVERIFY(f.allPainted());
}

void CThumbViewTest::rebuildDropsPicturesOfTheCancelledRun()
{
    Fixture f(1);
    for (int i = 0; i < 8; ++i)
        f.page(QString("p%1.jpg").arg(i), 800, 600);
    f.view.ScanFolder(f.dir.path());
    const QSize big = f.view.CellSize();
    f.settings.SetInt("thumbnailNum", 5, "TAKE_PHOTOS_SET");
    f.view.RebuildThumbnails(); // cancels the first run at once
    const QSize small = f.view.CellSize();
    QVERIFY(small.height() < big.height());
    QVERIFY(f.waitBuilt());
    QVERIFY(f.allPainted());
    // The cancelled run's workers were waited for by the new start: what they made is
    // already queued.
    QVERIFY(scriva::test::processUntilIdle());
    for (int i = 0; i < f.view.ItemCount(); ++i)
        QCOMPARE(f.cell(i).size(), small); // nothing of the old size got through
}

void CThumbViewTest::aTallerPaneGetsItsOwnCellsOnceSettled()
{
    Fixture f;
    f.page("a.jpg");
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.waitBuilt());
    const QSize before = f.view.CellSize();
    QSignalSpy rebuilt(&f.view, &CThumbView::thumbnailsRebuilt);
    f.view.resize(400, 640); // wider only: the cells stay
    QVERIFY(!rebuilt.wait(CThumbView::kResizeSettleMs + 100));
    QCOMPARE(rebuilt.size(), 0);
    f.view.resize(400, 300);
    f.view.resize(400, 900); // only the settled height counts
    QTRY_COMPARE(rebuilt.size(), 1);
    QVERIFY(f.view.CellSize().height() > before.height());
    QVERIFY(f.allPainted());
    QCOMPARE(f.cell(0).size(), f.view.CellSize());
}

void CThumbViewTest::selectItemRules()
{
    Fixture f;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
        f.page(n);
    f.view.ScanFolder(f.dir.path());
    QCOMPARE(f.view.SelectedIndex(), 0);
    f.view.clearSelection();
    // -1 with nothing selected selects item 0.
    QVERIFY(f.view.SelectItem(CThumbView::SelectNext, -1));
    QCOMPARE(f.view.SelectedIndex(), 0);
    QVERIFY(f.view.SelectItem(CThumbView::SelectNext, -1));
    QCOMPARE(f.view.SelectedIndex(), 1);
    QCOMPARE(f.view.CurrentIndex(), 1);
    // The photo-taking call: next after current - 1 selects the last item.
    QVERIFY(f.view.SelectItem(CThumbView::SelectNext, 1));
    QCOMPARE(f.view.SelectedRows(), QList<int>{2});
    // Past the end: false, and the highlight stays.
    QVERIFY(!f.view.SelectItem(CThumbView::SelectNext, -1));
    QCOMPARE(f.view.SelectedRows(), QList<int>{2});
    QVERIFY(f.view.SelectItem(CThumbView::SelectPrev, 2));
    QCOMPARE(f.view.SelectedIndex(), 1);
    QVERIFY(!f.view.SelectItem(CThumbView::SelectPrev, 0));
    QVERIFY(!f.view.SelectItem(CThumbView::SelectNext, 7));
    QVERIFY(!f.view.SelectItem(0, 1)); // no direction
    QString path;
    QVERIFY(!f.view.GetItemPath(3, path));
    QVERIFY(path.isEmpty());
    QVERIFY(!f.view.GetItemPath(-1, path));
    QVERIFY(f.view.GetItemPath(2, path));
    QCOMPARE(path, f.dir.filePath("c.jpg"));
    QVERIFY(!f.view.OpenItem(3));
    QVERIFY(f.opened.isEmpty());
}

void CThumbViewTest::nextAndPreviousMoveAndOpen()
{
    Fixture f;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
        f.page(n);
    f.view.ScanFolder(f.dir.path());
    QCOMPARE(f.view.OpenNext(), f.dir.filePath("b.jpg"));
    QCOMPARE(f.view.OpenNext(), f.dir.filePath("c.jpg"));
    QCOMPARE(f.view.OpenNext(), QString()); // at the end: nothing opens
    QCOMPARE(f.view.SelectedIndex(), 2);
    QVERIFY(f.view.IsLast());
    QCOMPARE(f.view.OpenPrevious(), f.dir.filePath("b.jpg"));
    QCOMPARE(f.opened, QStringList({f.dir.filePath("b.jpg"), f.dir.filePath("c.jpg"),
                                    f.dir.filePath("b.jpg")}));
    QString path;
    QVERIFY(f.view.GetNextPath(path, false)); // without moving: just the path
    QCOMPARE(path, f.dir.filePath("c.jpg"));
    QCOMPARE(f.view.SelectedIndex(), 1);
    f.view.OpenFirst();
    QVERIFY(f.view.IsFirst());
    QCOMPARE(f.view.SelectedIndex(), 0);
    QCOMPARE(f.opened.last(), f.dir.filePath("a.jpg"));
    QVERIFY(f.view.GetPrevPath(path, false));
    QVERIFY(path.isEmpty());
    QVERIFY(!f.view.GetPrevPath(path, true));
    f.view.OpenLast();
    QVERIFY(f.view.IsLast());
    QCOMPARE(f.view.SelectedIndex(), 2);
}

void CThumbViewTest::clickOpensPlainClicksOnly()
{
    Fixture f;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
        f.page(n);
    f.view.ScanFolder(f.dir.path());
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, {}, f.centreOf(1));
    QCOMPARE(f.opened, QStringList{f.dir.filePath("b.jpg")});
    QCOMPARE(f.view.CurrentIndex(), 1);
    QCOMPARE(f.textsShown, QStringList{f.dir.filePath("b.jpg")});
    // Ctrl and Shift clicks only select.
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::ControlModifier, f.centreOf(2));
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::ShiftModifier, f.centreOf(0));
    QCOMPARE(f.opened.size(), 1);
    QCOMPARE(f.view.SelectedPaths(), QStringList({f.dir.filePath("a.jpg"), f.dir.filePath("b.jpg"),
                                                  f.dir.filePath("c.jpg")}));
    QCOMPARE(f.textsShown.size(), 3);
}

void CThumbViewTest::ctrlASelectsAllPlainADoesNothing()
{
    Fixture f;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
        f.page(n);
    f.view.ScanFolder(f.dir.path());
    f.view.setFocus();
    QTest::keyClick(&f.view, Qt::Key_A);
    QCOMPARE(f.view.SelectedRows(), QList<int>{0});
    QTest::keyClick(&f.view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(f.view.SelectedRows(), QList<int>({0, 1, 2}));
}

void CThumbViewTest::deleteDuringARebuildIsRefused()
{
    Fixture f;
    const QString a = f.page("a.jpg");
    f.page("b.jpg");
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.view.IsBuilding()); // its end arrives through the event loop
    f.answer = QMessageBox::Yes;
    f.view.DeleteSelected();
    QCOMPARE(f.messages, QList<int>{CThumbView::MsgRebuilding});
    QCOMPARE(f.view.ItemCount(), 2);
    QVERIFY(QFile::exists(a));
    QVERIFY(f.waitBuilt());
    f.view.DeleteSelected();
    QCOMPARE(f.messages.last(), CThumbView::MsgConfirmDelete);
    QCOMPARE(f.view.ItemCount(), 1);
    QVERIFY(!QFile::exists(a));
}

void CThumbViewTest::deleteWithNoKeepsFilesWithYesDeletesThem()
{
    Fixture f;
    QStringList files;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
        files << f.page(n);
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.waitBuilt());
    f.doc.RecognisedTexts()[files[1]] = "text of b";
    f.doc.RecognisedTexts()[files[4]] = "text of e";
    QSignalSpy removed(&f.view, &CThumbView::fileRemoved);
    // No: b and c leave the list, their files stay.
    f.view.SelectItem(CThumbView::SelectNext, 0);
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::ControlModifier, f.centreOf(2));
    f.answer = QMessageBox::No;
    f.opened.clear();
    f.view.DeleteSelected();
    QCOMPARE(f.view.ItemCount(), 3);
    QVERIFY(QFile::exists(files[1]) && QFile::exists(files[2]));
    QCOMPARE(removed.size(), 2);
    QVERIFY(f.doc.RecognisedTexts().count(files[1]) == 0);
    // The item now at the first removed place (d) is current, highlighted and open.
    QCOMPARE(f.view.CurrentIndex(), 1);
    QCOMPARE(f.view.SelectedPaths(), QStringList{files[3]});
    QCOMPARE(f.opened, QStringList{files[3]});
    // Yes: the last item goes with its file; the one before becomes current.
    f.view.SelectItem(CThumbView::SelectNext, 1);
    f.answer = QMessageBox::Yes;
    f.view.DeleteSelected();
    QVERIFY(!QFile::exists(files[4]));
    QVERIFY(QFile::exists(files[0]));
    QCOMPARE(f.view.ItemCount(), 2);
    QCOMPARE(f.view.SelectedPaths(), QStringList{files[3]});
    QCOMPARE(f.opened.last(), files[3]);
    QVERIFY(f.doc.RecognisedTexts().empty());
    // Cancel changes nothing.
    f.answer = QMessageBox::Cancel;
    f.view.DeleteSelected();
    QCOMPARE(f.view.ItemCount(), 2);
}

void CThumbViewTest::deletingTheLastItemClearsTheDocument()
{
    Fixture f;
    const QString a = f.page("a.jpg");
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.waitBuilt());
    QFile::remove(a); // gone already: no error, the item still goes
    f.answer = QMessageBox::Yes;
    f.view.DeleteSelected();
    QCOMPARE(f.view.ItemCount(), 0);
    QCOMPARE(f.opened, QStringList{QString()});
    QCOMPARE(f.view.CurrentIndex(), -1);
}

void CThumbViewTest::deleteKeyWaitsForARunningOperation()
{
    Fixture f;
    f.page("a.jpg");
    f.page("b.jpg");
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.waitBuilt());
    f.view.setFocus();
    f.answer = QMessageBox::No;
    f.operationRunning = true;
    QTest::keyClick(&f.view, Qt::Key_Delete);
    QCOMPARE(f.messages, QList<int>{CThumbView::MsgOperationRunning});
    QCOMPARE(f.view.ItemCount(), 2);
    f.operationRunning = false;
    QTest::keyClick(&f.view, Qt::Key_Delete);
    QCOMPARE(f.messages.last(), CThumbView::MsgConfirmDelete);
    QCOMPARE(f.view.ItemCount(), 1);
}

void CThumbViewTest::clearAllDeletesEveryFileAndEmptiesTheDocument()
{
    Fixture f;
    QStringList files;
    for (const char* n : {"a.jpg", "b.png", "c.bmp"})
        files << f.page(n);
    const QString other = f.dir.filePath("keep.txt");
    QVERIFY(thumbtest::writeAll(other, "x"));
    f.view.ScanFolder(f.dir.path());
    f.doc.RecognisedTexts()[files[0]] = "t";
    QSignalSpy cleared(&f.view, &CThumbView::listCleared);
    f.answer = QMessageBox::Yes;
    f.view.ClearAll(); // also while the rebuild still runs
    QCOMPARE(f.view.ItemCount(), 0);
    QVERIFY(!f.view.IsBuilding());
    for (const QString& file : files)
        QVERIFY(!QFile::exists(file));
    QVERIFY(QFile::exists(other));
    QCOMPARE(f.opened, QStringList{QString()});
    QVERIFY(f.doc.RecognisedTexts().empty());
    QVERIFY(f.view.Folder().isEmpty());
    QCOMPARE(cleared.size(), 1);
}

void CThumbViewTest::clearAllCancelledChangesNothing()
{
    Fixture f;
    const QString a = f.page("a.jpg");
    f.view.ScanFolder(f.dir.path());
    f.answer = QMessageBox::Cancel;
    f.view.ClearAll();
    QCOMPARE(f.view.ItemCount(), 1);
    // No: the list empties, the files stay.
    f.answer = QMessageBox::No;
    f.view.ClearAll();
    QCOMPARE(f.view.ItemCount(), 0);
    QVERIFY(QFile::exists(a));
    // The document keeps an unsaved image: nothing happens.
    f.view.ScanFolder(f.dir.path());
    struct KeepImage : ThumbViewHooks
    {
        bool OpenPath(const QString&) override { return false; }
        QMenu* ContextMenu(QWidget*) override { return nullptr; }
        bool ImageOperationRunning() const override { return false; }
        void ShowItemText(const QString&) override {}
    } keep;
    f.answer = QMessageBox::Yes;
    f.view.SetHooks(keep);
    f.view.ClearAll();
    QCOMPARE(f.view.ItemCount(), 1);
    QVERIFY(QFile::exists(a));
}

void CThumbViewTest::addedPhotosKeepTheirCaseAndAreSelected()
{
    Fixture f;
    f.page("a.jpg");
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.waitBuilt());
    const QString photo = f.page("Photo_0002.JPG", 300, 400);
    f.view.AddFile(photo);
    QCOMPARE(f.view.ItemCount(), 2);
    QCOMPARE(f.view.CurrentIndex(), 1);
    QCOMPARE(f.view.listModel()->data(f.view.listModel()->index(1), Qt::DisplayRole).toString(),
             QString("Photo_0002.JPG"));
    // What photo taking does next: select the new last item.
    QVERIFY(f.view.SelectItem(CThumbView::SelectNext, f.view.CurrentIndex() - 1));
    QCOMPARE(f.view.SelectedPaths(), QStringList{photo});
    QVERIFY(f.allPainted());
    f.view.AddFile("no-separator.jpg");
    QCOMPARE(f.view.ItemCount(), 2);
    // The same file written again: one cell, painted afresh, current.
    QVERIFY(thumbtest::writeTwoColour(photo, 300, 400, kBlue, kBlue));
    f.view.AddFile(f.dir.filePath("a.jpg"));
    QCOMPARE(f.view.CurrentIndex(), 0);
    f.view.AddFile(photo);
    QCOMPARE(f.view.ItemCount(), 2);
    QCOMPARE(f.view.CurrentIndex(), 1);
    QTRY_VERIFY(thumbtest::near(
        f.cell(1).pixelColor(f.view.CellSize().width() / 2 - 10, f.view.CellSize().height() / 2),
        kBlue));
    // Into an empty column: the cells are set up by the first photo.
    Fixture g;
    g.view.AddFile(photo);
    QVERIFY(!g.view.CellSize().isEmpty());
    QVERIFY(g.allPainted());
}

void CThumbViewTest::deletingWhileAnAddedPhotoPaints()
{
    Fixture f;
    f.page("a.jpg");
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.waitBuilt());
    const QString photo = f.page("b.jpg", 2000, 1500);
    f.view.AddFile(photo);
    f.view.SelectItem(CThumbView::SelectNext, 0);
    f.answer = QMessageBox::Yes;
    f.view.DeleteSelected(); // the added photo's picture is still being made
    QCOMPARE(f.view.ItemCount(), 1);
    QVERIFY(!QFile::exists(photo));
    // Its late picture finds no row and is dropped.
    auto* builder = f.view.findChild<ThumbBuilder*>();
    QVERIFY(builder);
    QVERIFY(builder->WaitForDone(20000));
    QVERIFY(scriva::test::processUntilIdle());
    QCOMPARE(f.view.ItemCount(), 1);
    QCOMPARE(f.view.PathAt(0), f.dir.filePath("a.jpg"));
}

void CThumbViewTest::contextMenuOnlyOnItems()
{
    Fixture f;
    f.page("a.jpg");
    f.view.ScanFolder(f.dir.path());
    const QPoint onItem = f.centreOf(0);
    QContextMenuEvent atItem(QContextMenuEvent::Mouse, onItem,
                             f.view.viewport()->mapToGlobal(onItem));
    QApplication::sendEvent(f.view.viewport(), &atItem);
    QCOMPARE(f.menusShown, 1);
    const QPoint below(10, f.view.viewport()->height() - 5);
    QContextMenuEvent atNothing(QContextMenuEvent::Mouse, below,
                                f.view.viewport()->mapToGlobal(below));
    QApplication::sendEvent(f.view.viewport(), &atNothing);
    QCOMPARE(f.menusShown, 1);
    f.operationRunning = true;
    QApplication::sendEvent(f.view.viewport(), &atItem);
    QCOMPARE(f.menusShown, 1);
    QCOMPARE(f.messages, QList<int>{CThumbView::MsgOperationRunning});
}

void CThumbViewTest::commandsReachTheColumn()
{
    Fixture f;
    QVERIFY(!f.view.OnUpdateCommand(CThumbView::CmdClearAll)->enabled);
    QVERIFY(!f.view.OnUpdateCommand(57601).has_value()); // not the column's command
    f.page("a.jpg");
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.view.OnUpdateCommand(CThumbView::CmdDelete)->enabled);
    QSignalSpy rebuilt(&f.view, &CThumbView::thumbnailsRebuilt);
    QVERIFY(f.view.OnCommand(CThumbView::CmdRebuild));
    QCOMPARE(rebuilt.size(), 1);
    f.answer = QMessageBox::No;
    QVERIFY(f.waitBuilt());
    QVERIFY(f.view.OnCommand(CThumbView::CmdClearAll));
    QCOMPARE(f.view.ItemCount(), 0);
    QVERIFY(!f.view.OnCommand(57601));
}

// The column keeps its thumbnails where the desktop's file managers keep
// theirs: the next start (or another program) takes them from there, and
// Rebuild reads the files again.
void CThumbViewTest::thumbnailsAreSharedWithTheDesktop()
{
    Fixture f;
    const QString photo = f.page("p.jpg", 800, 600);
    f.view.ScanFolder(f.dir.path());
    QVERIFY(f.allPainted());
    QVERIFY(f.waitBuilt()); // kept once the picture is shown
    const ThumbCache cache;
    const int sizeClass =
        ThumbCache::SizeClassFor(std::max(f.view.CellSize().width(), f.view.CellSize().height()));
    const CacheKey key = cache.KeyOf(photo);
    QVERIFY(QFile::exists(cache.PathFor(key, sizeClass)));
    QVERIFY(!cache.Lookup(key, sizeClass).isNull());
    // Another program's thumbnail of the same file, as it is now.
    QImage green(sizeClass, sizeClass * 3 / 4, QImage::Format_RGB32);
    green.fill(Qt::green);
    QString error;
    QVERIFY(cache.Store(key, sizeClass, green, &error));
    const QSize cell = f.view.CellSize();
    auto middleLeft = [&] { return f.cell(0).pixelColor(cell.width() / 4, cell.height() / 2); };
    f.view.ScanFolder(f.dir.path()); // as at the next start
    QVERIFY(f.waitBuilt());
    QTRY_VERIFY(thumbtest::near(middleLeft(), Qt::green));
    QVERIFY(f.view.OnCommand(CThumbView::CmdRebuild));
    QVERIFY(f.waitBuilt());
    QTRY_VERIFY(thumbtest::near(middleLeft(), kRed));
    QVERIFY(thumbtest::near(cache.Lookup(key, sizeClass).pixelColor(10, sizeClass / 3), kRed));
}

SCRIVA_QTEST(CThumbViewTest)
#include "test_CThumbView.moc"
