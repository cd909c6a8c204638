// The thumbnail column inside the main frame: its context menu comes from the
// pack with the shared actions, the menu's commands reach the column, a click
// opens the file through the frame and shows or hides the item's text.
#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "config/CommandIds.h"
#include "ocr/ui/CRecognizeView.h"
#include "thumbs/ui/CThumbView.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>

using namespace frametest;

class FrameThumbnailTest : public QObject
{
    Q_OBJECT
private slots:
    void contextMenuHoldsTheColumnCommands();
    void menuCommandsReachTheColumn();
    void clickOpensThroughTheFrame();
};

namespace {
// Three empty "photos": the column lists them (their cells stay blank).
QStringList makeFiles(const QTemporaryDir& dir)
{
    QStringList paths;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            paths << file.fileName();
    }
    return paths;
}
} // namespace

void FrameThumbnailTest::contextMenuHoldsTheColumnCommands()
{
    Fixture f;
    QTemporaryDir dir;
    makeFiles(dir);
    CThumbView* thumbs = f.frame->thumbView();
    thumbs->ScanFolder(dir.path());
    QMenu* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (shown)
            shown->close();
    });
    const QPoint at = thumbs->visualRect(thumbs->model()->index(1, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, thumbs->viewport()->mapToGlobal(at));
    QApplication::sendEvent(thumbs->viewport(), &event);
    QVERIFY(shown);
    QList<int> ids;
    for (QAction* action : shown->actions())
        if (!action->isSeparator())
            ids << action->data().toInt();
    QCOMPARE(ids, QList<int>({32872, 32870, 32877, scriva::cmd::kExportSearchablePdf, 32874,
                              scriva::cmd::kRebuildThumbnails, scriva::cmd::kDeleteThumbnails,
                              scriva::cmd::kClearThumbnails}));
    QCOMPARE(f.frame->activeView(), thumbs);
}

void FrameThumbnailTest::menuCommandsReachTheColumn()
{
    Fixture f;
    QTemporaryDir dir;
    const QStringList files = makeFiles(dir);
    CThumbView* thumbs = f.frame->thumbView();
    thumbs->ScanFolder(dir.path());
    QTRY_VERIFY(!thumbs->IsBuilding());
    f.frame->setActiveView(thumbs);
    f.rec.answer = QMessageBox::No;
    QVERIFY(f.frame->router().state(scriva::cmd::kDeleteThumbnails).enabled);
    QVERIFY(f.frame->router().dispatch(scriva::cmd::kDeleteThumbnails));
    QCOMPARE(f.rec.messages.back(), scriva::str::kConfirmDelete);
    QCOMPARE(thumbs->ItemCount(), 2);
    QVERIFY(QFile::exists(files[0])); // No: the file stays
    QCOMPARE(f.rec.opened.last(), files[1]);
    f.rec.answer = QMessageBox::Yes;
    QVERIFY(f.frame->router().dispatch(scriva::cmd::kClearThumbnails));
    QCOMPARE(thumbs->ItemCount(), 0);
    QVERIFY(!QFile::exists(files[2]));
    QVERIFY(!f.frame->router().state(scriva::cmd::kClearThumbnails).enabled);
}

void FrameThumbnailTest::clickOpensThroughTheFrame()
{
    Fixture f;
    QTemporaryDir dir;
    const QStringList files = makeFiles(dir);
    CThumbView* thumbs = f.frame->thumbView();
    thumbs->ScanFolder(dir.path());
    f.doc.RecognisedTexts()[files[2]] = "recognised words";
    const QPoint third = thumbs->visualRect(thumbs->model()->index(2, 0)).center();
    QTest::mouseClick(thumbs->viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(f.rec.opened, QStringList{files[2]});
    auto* right = qobject_cast<QSplitter*>(f.frame->recognizeView()->parentWidget());
    QVERIFY(right);
    QVERIFY(right->sizes().value(1) > 0); // the text row opened for the stored text
    const QPoint first = thumbs->visualRect(thumbs->model()->index(0, 0)).center();
    QTest::mouseClick(thumbs->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(f.rec.opened.last(), files[0]);
    QCOMPARE(right->sizes().value(1), 0); // no text: the row collapses
}

SCRIVA_QTEST(FrameThumbnailTest)
#include "test_frame_thumbnails.moc"
