// Pane sizes of the main frame: the sizing rules on their own, the panes of a
// real frame at two window sizes, and collapsing and restoring the left column.

#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CLeftFormView.h"
#include "app/frame/PaneLayout.h"
#include "app/widgets/CSkinButton.h"
#include "app/widgets/CSplitterWndEx.h"
#include "config/CommandIds.h"
#include "image/ui/CScrivaView.h"
#include "ocr/ui/CRecognizeView.h"
#include "thumbs/ui/CThumbView.h"

#include <QSignalSpy>
#include <QSplitterHandle>
#include <QTest>

using namespace frametest;

class FrameLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void columnWidthArithmetic_data();
    void columnWidthArithmetic();
    void leftRowsKeepTheButtonsVisible();
    void resultRows();
    void columnStateKeepsWidthWhileCollapsed();
    void framePanes_data();
    void framePanes();
    void collapseAndRestoreGiveTheSameWidth();
    void widthComputedWhileCollapsedWaitsForRestore();
    void resultPaneOpensToHalfHeight();
    void resizeKeepsAnOpenResultPane();
    void draggingTheMainBarRebuildsThumbnails();
};

void FrameLayoutTest::columnWidthArithmetic_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("thumbHeight");
    QTest::addColumn<int>("column");
    // 2W/3 - W/30, then 10 + 4(F - 10)/9, all integer divisions.
    QTest::newRow("1024") << 1024 << 648 << 293;
    QTest::newRow("1920") << 1920 << 1216 << 546;
    QTest::newRow("tiny") << 30 << 19 << 14;
}

void FrameLayoutTest::columnWidthArithmetic()
{
    QFETCH(int, width);
    QFETCH(int, thumbHeight);
    QFETCH(int, column);
    QCOMPARE(PaneLayout::InitialThumbHeight(width), thumbHeight);
    QCOMPARE(PaneLayout::LeftColumnWidth(thumbHeight), column);
}

void FrameLayoutTest::leftRowsKeepTheButtonsVisible()
{
    // T = 2H/3 + H/13 + H/4 leaves only a few pixels for the buttons: the
    // form's own minimum wins, the thumbnails get the rest.
    PaneLayout::Rows rows = PaneLayout::LeftRows(700, 120);
    QCOMPARE(rows.bottom, 120);
    QCOMPARE(rows.top, 580);
    rows = PaneLayout::LeftRows(1000, 120);
    QCOMPARE(rows.bottom, 120);
    QCOMPARE(rows.top, 880);
    rows = PaneLayout::LeftRows(1000, 0); // no minimum: the literal rule, H - T = 8
    QCOMPARE(rows.bottom, 8);
    QCOMPARE(rows.top, 992);
    rows = PaneLayout::LeftRows(50, 120); // never more than the column has
    QCOMPARE(rows.bottom, 50);
    QCOMPARE(rows.top, 0);
}

void FrameLayoutTest::resultRows()
{
    PaneLayout::Rows rows = PaneLayout::ResultRows(768, 700, true);
    QCOMPARE(rows.top, 384);
    QCOMPARE(rows.bottom, 316);
    rows = PaneLayout::ResultRows(768, 300, true);
    QCOMPARE(rows.top, 300);
    QCOMPARE(rows.bottom, 0);
    rows = PaneLayout::ResultRows(768, 700, false);
    QCOMPARE(rows.top, 700);
    QCOMPARE(rows.bottom, 0);
    rows = PaneLayout::ResultRows(4, 700, true); // at least the smallest pane
    QCOMPARE(rows.top, PaneLayout::MinPane);
}

void FrameLayoutTest::columnStateKeepsWidthWhileCollapsed()
{
    LeftColumnState state;
    QVERIFY(state.AcceptWidth(300));
    QCOMPARE(state.Toggle({293, 10}), (ColumnSize{0, 0}));
    QVERIFY(state.Collapsed());
    QVERIFY(!state.AcceptWidth(400));
    QCOMPARE(state.Toggle({0, 0}), (ColumnSize{400, 10}));
    QVERIFY(!state.Collapsed());
}

void FrameLayoutTest::framePanes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("1024x768") << QSize(1024, 768);
    QTest::newRow("1920x1080") << QSize(1920, 1080);
}

void FrameLayoutTest::framePanes()
{
    QFETCH(QSize, size);
    Fixture f(size);
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
    QVERIFY(f.frame->IsCreated());
    const QWidget* client = f.frame->centralWidget();
    const int w = client->width();
    const int h = client->height();
    QVERIFY(w > size.width() * 9 / 10);

    FramePanes& panes = f.frame->panes();
    const int column = PaneLayout::LeftColumnWidth(PaneLayout::InitialThumbHeight(w));
    QCOMPARE(panes.mainSplitter()->sizes().value(0), column);
    QCOMPARE(f.frame->UpdateLeftColumnWidth(false), column);

    CLeftFormView* form = f.frame->leftForm();
    const PaneLayout::Rows rows = PaneLayout::LeftRows(h, form->minimumSizeHint().height());
    QCOMPARE(panes.leftSplitter()->sizes().value(1), rows.bottom);
    QVERIFY(rows.bottom >= form->minimumSizeHint().height());
    for (int id : CLeftFormView::ButtonIds) {
        CSkinButton* button = form->button(id);
        QVERIFY(button->isVisible());
        QVERIFY2(form->rect().contains(button->geometry()), qPrintable(QString::number(id)));
        QVERIFY(!button->text().isEmpty());
    }
    // The text row is collapsed until there is text to show.
    QCOMPARE(panes.rightSplitter()->sizes().value(1), 0);
    QVERIFY(f.frame->imageView()->isVisible());
    QCOMPARE(f.frame->activeView(), static_cast<QWidget*>(f.frame->recognizeView()));
    // The bar between thumbnails and buttons cannot be dragged.
    QVERIFY(!panes.leftSplitter()->handle(1)->isEnabled());
}

void FrameLayoutTest::collapseAndRestoreGiveTheSameWidth()
{
    Fixture f;
    QSplitter* main = f.frame->panes().mainSplitter();
    main->setSizes({333, 600}); // the user moved the bar
    QCoreApplication::processEvents();
    const int before = main->sizes().value(0);
    QVERIFY(before > 0);

    QVERIFY(f.frame->router().dispatch(scriva::cmd::kToggleLeftColumn));
    QCOMPARE(main->sizes().value(0), 0);
    QVERIFY(f.frame->IsLeftColumnCollapsed());
    QVERIFY(f.frame->actions().find(scriva::cmd::kToggleLeftColumn)->isChecked());

    f.frame->resize(1100, 800); // a resize does not bring it back
    QCoreApplication::processEvents();
    QCOMPARE(main->sizes().value(0), 0);

    QVERIFY(f.frame->router().dispatch(scriva::cmd::kToggleLeftColumn));
    QCOMPARE(main->sizes().value(0), before);
    QVERIFY(!f.frame->actions().find(scriva::cmd::kToggleLeftColumn)->isChecked());
}

void FrameLayoutTest::widthComputedWhileCollapsedWaitsForRestore()
{
    Fixture f;
    QSplitter* main = f.frame->panes().mainSplitter();
    const int thumbHeight = f.frame->thumbView()->height();
    f.frame->router().dispatch(scriva::cmd::kToggleLeftColumn);
    const int computed = f.frame->UpdateLeftColumnWidth(true);
    QCOMPARE(computed, PaneLayout::LeftColumnWidth(thumbHeight));
    QCOMPARE(main->sizes().value(0), 0); // still collapsed
    QVERIFY(f.frame->IsLeftColumnCollapsed());
    f.frame->router().dispatch(scriva::cmd::kToggleLeftColumn);
    QCOMPARE(main->sizes().value(0), computed);
}

void FrameLayoutTest::resultPaneOpensToHalfHeight()
{
    Fixture f;
    QSplitter* right = f.frame->panes().rightSplitter();
    f.frame->ShowResultPane(true);
    QCOMPARE(right->sizes().value(0), f.frame->centralWidget()->height() / 2);
    QVERIFY(right->sizes().value(1) > 0);
    f.frame->ShowResultPane(false);
    QCOMPARE(right->sizes().value(1), 0);
}

void FrameLayoutTest::resizeKeepsAnOpenResultPane()
{
    Fixture f;
    f.frame->ShowResultPane(true);
    f.frame->resize(1200, 900); // the window is maximised after the text came
    QCoreApplication::processEvents();
    QVERIFY(f.frame->panes().rightSplitter()->sizes().value(1) > 0);
    // The left column still follows the creation rules for the new size.
    const int w = f.frame->centralWidget()->width();
    QCOMPARE(f.frame->panes().mainSplitter()->sizes().value(0),
             PaneLayout::LeftColumnWidth(PaneLayout::InitialThumbHeight(w)));
}

void FrameLayoutTest::draggingTheMainBarRebuildsThumbnails()
{
    Fixture f;
    QSignalSpy rebuilt(f.frame->thumbView(), &CThumbView::thumbnailsRebuilt);
    QSplitterHandle* handle = f.frame->panes().mainSplitter()->handle(1);
    const int before = f.frame->panes().mainSplitter()->sizes().value(0);
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(handle, QPoint(42, 100));
    QCOMPARE(rebuilt.count(), 0); // not on every move
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(42, 100));
    QCOMPARE(rebuilt.count(), 1);
    QVERIFY(f.frame->panes().mainSplitter()->sizes().value(0) > before);
}

SCRIVA_QTEST(FrameLayoutTest)
#include "test_frame_layout.moc"
