// Text recognition in the running program: the selected thumbnails read by
// the real engine behind the wait box, the end-of-recognition event filling
// the document's texts and the pane, the search bar narrowing the thumbnail
// column (also to nothing) and "Show all", the region tool's rectangle
// recognised and its text dragged into the pane, the About box's engine version.

#include "AppTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/frame/MainStatusBar.h"
#include "app/frame/SearchBar.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/LanguagePack.h"
#include "app/widgets/CSplitterWndEx.h"
#include "config/CommandIds.h"
#include "image/CScrivaDoc.h"
#include "image/ViewGeometry.h"
#include "image/ui/CScrivaView.h"
#include "ocr/COcrEngine.h"
#include "ocr/ui/CRecognizeView.h"
#include "thumbs/ui/CThumbView.h"

#include <QDrag>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

namespace {

using apptest::writeTextPage;

// One page reading "Quiet river" opened in the image view of a program
// started on a fresh home without a camera; frame is null when any step failed.
struct QuietRiverPage
{
    QTemporaryDir home;
    QString page;
    std::unique_ptr<CScrivaApp> app;
    CMainFrame* frame = nullptr;

    QuietRiverPage()
    {
        const QString folder = apptest::useHomeWithPages(home);
        if (!folder.isEmpty())
            page = writeTextPage(folder, QStringLiteral("page.png"), QStringLiteral("Quiet river"));
        if (page.isEmpty())
            return;
        app = std::make_unique<CScrivaApp>();
        frame = apptest::StartWithImageView(*app);
        if (frame && !frame->document().OpenDocument(page))
            frame = nullptr;
    }
};

} // namespace

class TestFrameRecognition : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};

private slots:
    void recogniseSearchAndShowAll()
    {
        QTemporaryDir home;
        const QString folder = apptest::useHomeWithPages(home);
        QVERIFY(!folder.isEmpty());
        const QString a =
            writeTextPage(folder, QStringLiteral("a.png"), QStringLiteral("Harbour lights"));
        const QString b =
            writeTextPage(folder, QStringLiteral("b.png"), QStringLiteral("Mountain road"));
        QVERIFY(!a.isEmpty() && !b.isEmpty());

        CScrivaApp app;
        CMainFrame* frame = apptest::StartWithImageView(app);
        QVERIFY(frame);
        CThumbView* thumbs = frame->thumbView();
        thumbs->ScanFolder(folder);
        QCOMPARE(thumbs->ItemCount(), 2);
        thumbs->selectAll();
        QCOMPARE(thumbs->SelectedPaths(), QStringList({a, b}));

        QVERIFY(frame->router().state(scriva::cmd::kRecognizeWestern).enabled);
        QVERIFY(frame->router().dispatch(scriva::cmd::kRecognizeWestern));
        QTRY_VERIFY(!app.isBusy());
        QCoreApplication::sendPostedEvents();
        const auto& texts = frame->document().RecognisedTexts();
        QCOMPARE(texts.size(), size_t(2));
        QCOMPARE(texts.at(a), QStringLiteral("Harbour lights\r\n"));
        QCOMPARE(texts.at(b), QStringLiteral("Mountain road\r\n"));
        // The pane shows the first selected file's text, and says whose it is.
        QCOMPARE(frame->recognizeView()->TextPath(), a);
        QCOMPARE(frame->recognizeView()->toPlainText(), QStringLiteral("Harbour lights\n"));
        QVERIFY(frame->panes().rightSplitter()->sizes().value(1) > 0); // the text row is open
        QVERIFY(frame->router().state(scriva::cmd::kSaveText).enabled);

        // The search bar narrows the column to the files whose text matches.
        QVERIFY(frame->router().dispatch(scriva::cmd::kShowSearchBar));
        QVERIFY(frame->searchBar()->isVisible());
        frame->searchBar()->searchEdit()->setText(QStringLiteral("Mountain"));
        QVERIFY(frame->router().dispatch(scriva::ctl::kSearch));
        QCOMPARE(thumbs->ItemCount(), 1);
        QCOMPARE(thumbs->PathAt(0), b);
        QCOMPARE(thumbs->SelectedPaths(), QStringList({b})); // its text can be saved
        QCOMPARE(frame->recognizeView()->TextPath(), b);
        QCOMPARE(frame->document().PathName(), b);
        QVERIFY(!frame->statusBarPanes()->pane(0)->text().isEmpty());
        // Nothing found: an empty column and the empty document; the view,
        // the status and the pane show nothing of the last file.
        frame->searchBar()->searchEdit()->setText(QStringLiteral("Desert"));
        QVERIFY(frame->router().dispatch(scriva::ctl::kSearch));
        QCOMPARE(thumbs->ItemCount(), 0);
        QVERIFY(!frame->document().HasImage());
        QVERIFY(frame->document().PathName().isEmpty());
        for (int i = 0; i < CScrivaDoc::StatusPaneCount; ++i)
            QVERIFY2(frame->statusBarPanes()->pane(i)->text().isEmpty(),
                     qPrintable(QString::number(i)));
        QVERIFY(frame->recognizeView()->toPlainText().isEmpty());
        QVERIFY(frame->recognizeView()->TextPath().isEmpty());
        QCOMPARE(texts.at(b), QStringLiteral("Mountain road\r\n")); // its text is kept
        // Show all brings every listed file back.
        QVERIFY(frame->router().dispatch(scriva::ctl::kShowAll));
        QCOMPARE(thumbs->ItemCount(), 2);
    }

    void regionToolDragsItsTextIntoThePane()
    {
        QuietRiverPage open;
        QVERIFY(open.frame);
        CMainFrame* frame = open.frame;
        CScrivaDoc& doc = frame->document();
        const QString page = open.page;
        CommandRouter& router = frame->router();
        const int tool = scriva::cmd::kRegionWestern;

        // The tool toggles like the other mouse tools and opens the text pane.
        QVERIFY(router.state(tool).enabled);
        QVERIFY(router.dispatch(tool));
        QCOMPARE(doc.Tool(), tool);
        QVERIFY(router.state(tool).checked);
        QTRY_VERIFY(frame->recognizeView()->isVisible());
        QVERIFY(router.dispatch(tool));
        QCOMPARE(doc.Tool(), 0);
        QVERIFY(router.dispatch(tool));
        QCOMPARE(doc.Tool(), tool);

        // A rectangle around the words (image pixels) drawn in the view.
        CScrivaView* view = frame->imageView();
        QWidget* surface = view->viewport();
        auto client = [&](QPoint image) {
            return scriva::view::ImageToClient(image, view->ScrollPosition(), doc.Zoom());
        };
        const QPoint from = client(QPoint(10, 20));
        const QPoint to = client(QPoint(700, 150));
        QTest::mousePress(surface, Qt::LeftButton, {}, from);
        QTest::mouseMove(surface, to);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, to);

        // Pressed inside it, the rectangle's text is recognised and dragged.
        // (The headless platform ends a drag at once, so the drop is handed
        // to the pane here.)
        QTest::mousePress(surface, Qt::LeftButton, {}, (from + to) / 2);
        auto* drag = surface->findChild<QDrag*>();
        QVERIFY(drag);
        const QMimeData* data = drag->mimeData();
        QCOMPARE(QString::fromUtf8(data->data(QLatin1String(CRecognizeView::kRegionTextMime))),
                 QStringLiteral("Quiet river\r\n"));
        CRecognizeView* pane = frame->recognizeView();
        const QPoint over = pane->viewport()->rect().center();
        QDragEnterEvent enter(over, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(pane->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(over), Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(pane->viewport(), &drop);
        QCOMPARE(pane->toPlainText(), QStringLiteral("Quiet river\n"));
        QCOMPARE(pane->TextPath(), page);
        QCOMPARE(doc.RecognisedTexts().at(page), QStringLiteral("Quiet river\r\n"));
    }

    // Only region text is dropped into the pane: the image itself dragged
    // there (its file address; the window opens it as any dropped file) or
    // text from elsewhere leaves the pane and the stored texts as they were.
    void paneTakesOnlyRegionText()
    {
        QuietRiverPage open;
        QVERIFY(open.frame);
        CMainFrame* frame = open.frame;
        CScrivaDoc& doc = frame->document();
        const QString page = open.page;
        doc.RecognisedTexts()[page] = QStringLiteral("Quiet river\r\n");
        frame->ShowResultPane(true);
        CRecognizeView* pane = frame->recognizeView();
        QVERIFY(pane);
        pane->SetResultText(page, doc.RecognisedTexts()[page]);

        QMimeData image; // what the image view drags
        image.setUrls({QUrl::fromLocalFile(page)});
        QMimeData words;
        words.setText(QStringLiteral("from another program"));
        for (const QMimeData* data : {&image, &words}) {
            const QPoint over = pane->viewport()->rect().center();
            QDragEnterEvent enter(over, Qt::CopyAction, data, Qt::LeftButton, {});
            // Not taken by the pane (the window itself may take a file).
            QApplication::sendEvent(pane->viewport(), &enter);
            QDropEvent drop(QPointF(over), Qt::CopyAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(pane->viewport(), &drop);
            QCOMPARE(pane->toPlainText(), QStringLiteral("Quiet river\n"));
            pane->KeepEdits();
            QCOMPARE(doc.RecognisedTexts().at(page), QStringLiteral("Quiet river\r\n"));
        }
    }

    void paneEditsAndStoredTextsFollowTheFiles()
    {
        QTemporaryDir home;
        const QString folder = apptest::useHomeWithPages(home);
        QVERIFY(!folder.isEmpty());
        const QString a = writeTextPage(folder, QStringLiteral("a.png"), QStringLiteral("Harbour"));
        const QString broken = folder + QStringLiteral("/b.png");
        const QString c = writeTextPage(folder, QStringLiteral("c.png"), QStringLiteral("Meadow"));
        const QString plain = writeTextPage(folder, QStringLiteral("d.png"), QString());
        QFile bad(broken);
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a picture") > 0);
        bad.close();
        QVERIFY(!a.isEmpty() && !c.isEmpty() && !plain.isEmpty());

        CScrivaApp app;
        CMainFrame* frame = apptest::StartWithImageView(app);
        QVERIFY(frame);
        CScrivaDoc& doc = frame->document();
        const auto& texts = doc.RecognisedTexts();
        CRecognizeView* pane = frame->recognizeView();
        CThumbView* thumbs = frame->thumbView();
        thumbs->ScanFolder(folder);
        QCOMPARE(thumbs->ItemCount(), 4);

        // Three files, the second unreadable: it gets the failure text, the
        // others their own, and the pane shows the first.
        thumbs->clearSelection();
        for (int row : {0, 1, 2})
            thumbs->selectionModel()->select(thumbs->model()->index(row, 0),
                                             QItemSelectionModel::Select);
        QVERIFY(frame->router().dispatch(scriva::cmd::kRecognizeWestern));
        QTRY_VERIFY(!app.isBusy());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(texts.at(a), QStringLiteral("Harbour\r\n"));
        QCOMPARE(texts.at(c), QStringLiteral("Meadow\r\n"));
        QVERIFY(texts.at(broken).startsWith(LanguagePack::Text(scriva::str::kNotRecognised)));
        QCOMPARE(pane->TextPath(), a);

        // Typing in the pane, then Ctrl-clicking another thumbnail: the
        // edit is kept under its own file, with stored line breaks.
        pane->moveCursor(QTextCursor::End);
        QTest::keyClicks(pane, QStringLiteral("lights"));
        const QRect third = thumbs->visualRect(thumbs->model()->index(2, 0));
        QTest::mouseClick(thumbs->viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
        QCOMPARE(pane->TextPath(), c);
        QCOMPARE(texts.at(a), QStringLiteral("Harbour\r\nlights"));

        // A file that was only looked at gets no text; edits typed for it do.
        QVERIFY(doc.OpenDocument(plain));
        QCOMPARE(pane->TextPath(), plain);
        QVERIFY(doc.OpenDocument(a));
        QCOMPARE(texts.count(plain), size_t(0));
        QCOMPARE(pane->toPlainText(), QStringLiteral("Harbour\nlights"));
        QVERIFY(doc.OpenDocument(plain));
        QTest::keyClicks(pane, QStringLiteral("note"));
        QVERIFY(doc.OpenDocument(c));
        QCOMPARE(texts.at(plain), QStringLiteral("note"));

        // Enter in the search text searches; a file added afterwards (a new
        // photo) is back with the others on "Show all".
        QVERIFY(frame->router().dispatch(scriva::cmd::kShowSearchBar));
        frame->searchBar()->searchEdit()->setText(QStringLiteral("Meadow"));
        QTest::keyClick(frame->searchBar()->searchEdit(), Qt::Key_Return);
        QCOMPARE(thumbs->ItemCount(), 1);
        const QString photo =
            writeTextPage(folder, QStringLiteral("e.png"), QStringLiteral("New page"));
        thumbs->AddFile(photo);
        QVERIFY(frame->router().dispatch(scriva::ctl::kShowAll));
        QCOMPARE(thumbs->ItemCount(), 5);
        QCOMPARE(thumbs->PathAt(4), photo);
    }

    void engineVersionIsKnown()
    {
        QVERIFY(COcrEngine::EngineVersion().startsWith(QStringLiteral("5.")));
    }
};

SCRIVA_QTEST(TestFrameRecognition)

#include "test_frame_recognition.moc"
