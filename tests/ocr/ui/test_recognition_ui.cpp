// The recognition commands with the real engine and the real text pane: files
// recognised behind the wait dialog, the pane's owner path across clicks and
// drops, searches, saving the text, and region recognition.

#include "OcrTestSupport.h"
#include "QtTestRegistry.h"
#include "TestWindowServices.h"
#include "image/CScrivaDoc.h"
#include "ocr/ui/CRecognizeView.h"
#include "ocr/ui/RecognitionCommands.h"
#include "ocr/ui/RecognitionWaitDialog.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace scriva::ocr;

namespace {

const QString kFailure = QStringLiteral("No text could be recognised.");

// A document, a pane and the commands with hooks that record what they are asked.
struct Rig : OcrHooks
{
    Rig()
    {
        window.texts = [](int id) {
            if (id == 61824)
                return kFailure;
            if (id == 62005)
                return QStringLiteral("The file could not be written:");
            return QStringLiteral("s%1").arg(id);
        };
        window.onBox = [this](const TestWindowServices::Box& box) {
            boxes << box.caption + QLatin1Char('|') + box.text;
        };
    }

    OcrSettings Settings() const override
    {
        OcrSettings s = OcrSettings::Defaults();
        s.language1 = s.language2 = QStringLiteral("eng");
        return s;
    }
    int RightAreaMode() const override { return mode; }
    QStringList SelectedPaths() const override { return selected; }
    QStringList AllFiles() const override { return files; }
    const CxImage* Image() const override { return &image; }
    void SetTool(int id) override { tool = id; }
    CRecognizeView* Pane() const override { return const_cast<CRecognizeView*>(&pane); }
    void ShowResultPane(bool) override { ++paneShown; }
    QString SearchText() const override { return searchText; }
    void ShowFiles(const QStringList& paths) override { shownFiles = paths; }
    void OpenPath(const QString& path) override
    {
        opened << path;
        doc.SetPathName(path);
    }
    void SetBusy(bool on) override { busy << on; }
    QString AskSavePath(const QString& proposal, const QStringList& filters) override
    {
        proposals << proposal;
        lastFilters = filters;
        return saveTo;
    }

    CScrivaDoc doc;
    CRecognizeView pane{doc};
    TestWindowServices window;
    QString searchText; // the search bar's edit
    int mode = 101;
    QStringList selected, files, opened, shownFiles, proposals, lastFilters, boxes;
    CxImage image;
    int tool = 0;
    int paneShown = 0;
    QList<bool> busy;
    QString saveTo;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class RecognitionUiTest : public QObject
{
    Q_OBJECT

private slots:
    void threeFilesWithTheSecondFailing()
    {
        QTemporaryDir dir;
        Rig rig;
        RecognitionCommands commands(rig.doc, rig.window, rig);
        bool saved = true;
        auto save = [&](const QString& name, const QString& text) {
            const QString path = dir.filePath(name);
            CxImage page = ocrtest::renderText({text});
            saved = page.Save(QFile::encodeName(path).toStdString(), CXIMAGE_FORMAT_PNG) && saved;
            return path;
        };
        const QString broken = dir.filePath(QStringLiteral("b.png"));
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("broken");
        f.close();
        rig.selected = {save(QStringLiteral("a.png"), QStringLiteral("Alpha page")), broken,
                        save(QStringLiteral("c.png"), QStringLiteral("Gamma page"))};
        QVERIFY(saved);
        // The wait dialog shows a progress bar and Cancel for several files.
        bool sawProgress = false;
        QTimer::singleShot(100, [&] {
            auto* dialog = qobject_cast<RecognitionWaitDialog*>(QApplication::activeModalWidget());
            sawProgress = dialog && dialog->findChild<QProgressBar*>() &&
                          dialog->findChild<QPushButton*>(QStringLiteral("cancel"));
        });
        QVERIFY(commands.OnUpdateCommand(32870)->enabled);
        QVERIFY(commands.OnCommand(32870));
        QVERIFY(sawProgress);
        QCOMPARE(rig.busy, QList<bool>({true, false}));
        const auto& texts = rig.doc.RecognisedTexts();
        QCOMPARE(texts.size(), size_t(3));
        QCOMPARE(texts.at(rig.selected[0]), QStringLiteral("Alpha page\r\n"));
        QCOMPARE(texts.at(broken), kFailure);
        QCOMPARE(texts.at(rig.selected[2]), QStringLiteral("Gamma page\r\n"));
        // The first selected file's text is in the pane.
        QCOMPARE(rig.pane.TextPath(), rig.selected[0]);
        QCOMPARE(rig.pane.toPlainText(), QStringLiteral("Alpha page\n"));
    }

    void cancelDuringARunKeepsWhatIsDone()
    {
        QTemporaryDir dir;
        Rig rig;
        RecognitionCommands commands(rig.doc, rig.window, rig);
        // Enough pages that the run cannot end before the cancel is seen.
        QStringList words;
        for (int i = 1; i <= 24; ++i)
            words << QStringLiteral("Sheet %1").arg(i);
        for (const QString& word : words) {
            const QString path =
                dir.filePath(QString(word).replace(' ', '_') + QStringLiteral(".png"));
            QVERIFY(ocrtest::renderText({word}).Save(QFile::encodeName(path).toStdString(),
                                                     CXIMAGE_FORMAT_PNG));
            rig.selected << path;
        }
        // Cancel as soon as the first page is done.
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<RecognitionWaitDialog*>(QApplication::activeModalWidget());
            auto* bar = dialog ? dialog->findChild<QProgressBar*>() : nullptr;
            if (bar && bar->value() >= 1) {
                poll.stop();
                dialog->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
            }
        });
        poll.start(5);
        QVERIFY(commands.OnCommand(32870));
        QCOMPARE(rig.busy, QList<bool>({true, false}));
        const auto& texts = rig.doc.RecognisedTexts();
        QVERIFY(texts.size() >= 1);
        QVERIFY(texts.size() < size_t(words.size()));
        for (int i = 0; i < words.size(); ++i) {
            if (texts.count(rig.selected[i]))
                QCOMPARE(texts.at(rig.selected[i]), words[i] + QStringLiteral("\r\n"));
        }
    }

    void nothingSelectedOrNoImageViewDoesNothing()
    {
        Rig rig;
        RecognitionCommands commands(rig.doc, rig.window, rig);
        commands.OnCommand(32872);
        QVERIFY(rig.doc.RecognisedTexts().empty());
        QVERIFY(rig.busy.isEmpty());
        rig.selected = {QStringLiteral("/x.png")};
        rig.mode = 154;
        QVERIFY(!commands.OnUpdateCommand(32872)->enabled);
        QVERIFY(!commands.OnUpdateCommand(32873)->enabled);
        QVERIFY(commands.OnUpdateCommand(1083)->enabled);
        QVERIFY(commands.OnUpdateCommand(1085)->enabled);
        commands.OnCommand(32872);
        QVERIFY(rig.doc.RecognisedTexts().empty());
        QVERIFY(rig.busy.isEmpty());
    }

    void takenTextsJoinTheDocumentAndThePane()
    {
        Rig rig;
        RecognitionCommands commands(rig.doc, rig.window, rig);
        const QVariantMap texts{{QStringLiteral("/photos/a.jpg"), QStringLiteral("page text")},
                                {QStringLiteral("/photos/b.jpg"), QStringLiteral("other")}};
        // An edit the user made in the pane is kept first, so the new text wins.
        rig.pane.SetResultText(QStringLiteral("/photos/a.jpg"), QStringLiteral("old"));
        rig.pane.appendPlainText(QStringLiteral("typed"));
        struct Case
        {
            const char* name;
            QStringList selected;
            QVariantMap texts;
            bool held;
            QString shownPath, shownText; // what the pane then says
            int paneShown;                // times the text row was opened, in total
        };
        const Case cases[] = {
            {"first selected shown",
             {"/photos/a.jpg", "/photos/b.jpg"},
             texts,
             false,
             "/photos/a.jpg",
             "page text",
             1},
            {"selected without a text", {"/photos/new.jpg"}, {}, false, "/photos/new.jpg", "", 2},
            {"nothing selected", {}, {}, false, "", "", 3},
            {"a held pane keeps its text", {"/photos/b.jpg"}, texts, true, "", "", 3},
        };
        for (const Case& c : cases) {
            rig.selected = c.selected;
            rig.pane.SetHeld(c.held);
            commands.TakeTexts(c.texts);
            QVERIFY2(rig.pane.TextPath() == c.shownPath, c.name);
            QVERIFY2(rig.pane.toPlainText() == c.shownText, c.name);
            QVERIFY2(rig.paneShown == c.paneShown, c.name);
        }
        const auto& stored = rig.doc.RecognisedTexts();
        QCOMPARE(stored.size(), size_t(2)); // no empty entry for new.jpg or for no path
        QCOMPARE(stored.at(QStringLiteral("/photos/a.jpg")), QStringLiteral("page text"));
        QCOMPARE(stored.at(QStringLiteral("/photos/b.jpg")), QStringLiteral("other"));
    }

    void paneKeepsItsOwnerPathAcrossClicksAndDrops()
    {
        Rig rig;
        auto& texts = rig.doc.RecognisedTexts();
        texts[QStringLiteral("/p/a.png")] = QStringLiteral("text of a\r\n");
        texts[QStringLiteral("/p/b.png")] = QStringLiteral("text of b\r\n");
        // Clicks show each file's text; the pane says whose it is.
        rig.pane.SetResultText(QStringLiteral("/p/a.png"), texts[QStringLiteral("/p/a.png")]);
        QCOMPARE(rig.pane.toPlainText(), QStringLiteral("text of a\n"));
        rig.pane.SetResultText(QStringLiteral("/p/b.png"), texts[QStringLiteral("/p/b.png")]);
        QCOMPARE(rig.pane.TextPath(), QStringLiteral("/p/b.png"));
        // The document shows a while the pane shows b: a drop belongs to a.
        rig.doc.SetPathName(QStringLiteral("/p/a.png"));
        rig.pane.DropRegionText(QStringLiteral("first region\r\n"));
        QCOMPARE(rig.pane.TextPath(), QStringLiteral("/p/a.png"));
        rig.pane.DropRegionText(QStringLiteral("second region\r\n"));
        QCOMPARE(texts[QStringLiteral("/p/a.png")],
                 QStringLiteral("second region\r\nfirst region\r\ntext of a\r\n"));
        QCOMPARE(texts[QStringLiteral("/p/b.png")], QStringLiteral("text of b\r\n"));
        // An image without an entry gets one holding the pane.
        rig.doc.SetPathName(QStringLiteral("/p/c.png"));
        rig.pane.DropRegionText(QStringLiteral("new text"));
        QCOMPARE(texts[QStringLiteral("/p/c.png")], QStringLiteral("new text"));
        QVERIFY(!rig.pane.IsHeld());
        QCOMPARE(rig.pane.font().pointSizeF(), 11.5);
    }

    void searchThatFindsNothingEmptiesListAndDocument()
    {
        Rig rig;
        RecognitionCommands commands(rig.doc, rig.window, rig);
        rig.doc.RecognisedTexts()[QStringLiteral("/p/b.png")] = QStringLiteral("Invoice 9\r\n");
        rig.doc.RecognisedTexts()[QStringLiteral("/p/a.png")] = QStringLiteral("Invoice 7\r\n");
        rig.searchText = QStringLiteral("receipt");
        RecognitionCommands searching(rig.doc, rig.window, rig);
        searching.OnCommand(1083);
        QVERIFY(rig.shownFiles.isEmpty());
        QCOMPARE(rig.opened, QStringList({QString()}));

        commands.Search(QStringLiteral("Invoice"));
        QCOMPARE(rig.shownFiles,
                 QStringList({QStringLiteral("/p/a.png"), QStringLiteral("/p/b.png")}));
        QCOMPARE(rig.opened.last(), QStringLiteral("/p/a.png"));
        QCOMPARE(rig.pane.TextPath(), QStringLiteral("/p/a.png"));
        QCOMPARE(rig.pane.toPlainText(), QStringLiteral("Invoice 7\n"));

        rig.files = {QStringLiteral("/p/z.png"), QStringLiteral("/p/a.png")};
        commands.OnCommand(1085);
        QCOMPARE(rig.shownFiles,
                 QStringList({QStringLiteral("/p/a.png"), QStringLiteral("/p/z.png")}));
        // Show all opening a file without a text gives it no empty one.
        rig.files = {QStringLiteral("/p/0.png"), QStringLiteral("/p/a.png")};
        commands.OnCommand(1085);
        QCOMPARE(rig.opened.last(), QStringLiteral("/p/0.png"));
        QCOMPARE(rig.doc.RecognisedTexts().count(QStringLiteral("/p/0.png")), size_t(0));
    }

    void saveTextAsEachExtension()
    {
        QTemporaryDir dir;
        Rig rig;
        RecognitionCommands commands(rig.doc, rig.window, rig);
        const QString image = QStringLiteral("/p/scan.page.png");
        rig.doc.RecognisedTexts()[image] = QStringLiteral("stored\r\ntext");
        // Nothing stored for the selection: no dialog, nothing written.
        QVERIFY(!commands.OnUpdateCommand(32874)->enabled);
        QVERIFY(!commands.SaveText(false));
        QVERIFY(rig.proposals.isEmpty());
        rig.selected = {image};
        QVERIFY(commands.OnUpdateCommand(32874)->enabled);
        QList<QByteArray> written;
        for (const char* ext : {"txt", "doc", "xls"}) {
            rig.saveTo = dir.filePath(QStringLiteral("out.") + QLatin1String(ext));
            QVERIFY(commands.SaveText(false));
            written << readAll(rig.saveTo);
        }
        QCOMPARE(rig.proposals.first(), QStringLiteral("/p/scan"));
        QCOMPARE(rig.lastFilters.size(), 4);
        QCOMPARE(written, QList<QByteArray>(3, QByteArray("stored\r\ntext")));
        // The pane's edited text is saved when it belongs to the selected image...
        rig.pane.SetResultText(image, QStringLiteral("stored\r\ntext"));
        rig.pane.appendPlainText(QStringLiteral("edited"));
        rig.saveTo = dir.filePath(QStringLiteral("pane.doc"));
        rig.doc.SetPathName(QStringLiteral("/p/other.png"));
        QVERIFY(commands.SaveText(true));
        QCOMPARE(readAll(rig.saveTo), QByteArray("stored\r\ntext\r\nedited"));
        QCOMPARE(rig.proposals.last(), QStringLiteral("/p/other"));
        QCOMPARE(rig.lastFilters.first(), QStringLiteral("Word (*.doc)"));
        // ...and never when it belongs to another one; the edit was kept
        // under its image when the pane moved on.
        rig.pane.SetResultText(QStringLiteral("/p/other.png"), QStringLiteral("not this"));
        rig.saveTo = dir.filePath(QStringLiteral("stored.txt"));
        QVERIFY(commands.SaveText(false));
        QCOMPARE(readAll(rig.saveTo), QByteArray("stored\r\ntext\r\nedited"));
        // A file that cannot be written is said.
        rig.saveTo = dir.filePath(QStringLiteral("missing/dir/x.txt"));
        QVERIFY(!commands.SaveText(false));
        QCOMPARE(rig.boxes.size(), 1);
        QVERIFY(rig.boxes.first().startsWith(QStringLiteral("|The file could not be written:\n") +
                                             rig.saveTo));
    }

    void regionToolAndRegionRecognition()
    {
        Rig rig;
        RecognitionCommands commands(rig.doc, rig.window, rig);
        commands.OnCommand(32876);
        QCOMPARE(rig.tool, 32876);
        QCOMPARE(commands.RegionLanguage(), 1);
        commands.OnCommand(32875);
        QCOMPARE(commands.RegionLanguage(), 2);
        QCOMPARE(rig.paneShown, 2);

        rig.image = ocrtest::renderText({QStringLiteral("Region words here")}, 40, 30, true);
        const int w = int(rig.image.GetWidth()), h = int(rig.image.GetHeight());
        QString text;
        QVERIFY(commands.RecognizeSelection(QRect(-20, -20, w + 100, h + 100), text));
        QCOMPARE(text, QStringLiteral("Region words here\r\n"));
        QCOMPARE(rig.image.GetBpp(), 24u); // the document's image is left as it was
        QVERIFY(!commands.RecognizeSelection(QRect(w + 5, 0, 40, 40), text));
        QCOMPARE(rig.window.busyCursor, 0); // set while reading, and put back
        QCOMPARE(rig.boxes, QStringList({QStringLiteral("occur error|") + kFailure}));
    }

    void dragImageHoldsAtMostAHundredLines()
    {
        QWidget window;
        const QFontMetrics fm(window.font());
        const QPixmap two =
            RecognitionCommands::MakeTextDragImage(window, QStringLiteral("ab\ncd"));
        QCOMPARE(two.height(), 2 * fm.height() + 5);
        QCOMPARE(two.width(), std::max(fm.horizontalAdvance(QStringLiteral("ab")),
                                       fm.horizontalAdvance(QStringLiteral("cd"))) +
                                  5);
        QStringList many;
        for (int i = 0; i < 150; ++i)
            many << QStringLiteral("line %1").arg(i);
        const QPixmap tall = RecognitionCommands::MakeTextDragImage(window, many.join('\n'));
        QCOMPARE(tall.height(), 100 * fm.height() + 5);
        const QPixmap empty = RecognitionCommands::MakeTextDragImage(window, QString());
        QCOMPARE(empty.height(), fm.height() + 5);
        // Red text on a transparent ground, with no other colour at its edges.
        const QImage pixels = two.toImage().convertToFormat(QImage::Format_ARGB32);
        int inked = 0;
        for (int y = 0; y < pixels.height(); ++y) {
            for (int x = 0; x < pixels.width(); ++x) {
                const QColor c = pixels.pixelColor(x, y);
                if (c.alpha() == 0)
                    continue;
                ++inked;
                QCOMPARE(c.green(), 0);
                QCOMPARE(c.blue(), 0);
            }
        }
        QVERIFY(inked > 0 && inked < pixels.width() * pixels.height() / 2);
    }

    void waitDialogDotsAndMinimumTime()
    {
        TestWindowServices strings;
        strings.texts = [](int id) { return QStringLiteral("t%1").arg(id); };
        RecognitionWaitDialog dots(strings, 1);
        QCOMPARE(dots.ShownText(), QStringLiteral("t1821086"));
        QVERIFY(!dots.findChild<QProgressBar*>());
        dots.show();
        QTRY_VERIFY_WITH_TIMEOUT(dots.ShownText().endsWith(QStringLiteral("..")), 5000);
        // A worker that ends at once still leaves the box up for 500 ms.
        RecognitionWaitDialog quick(strings, 1);
        QElapsedTimer clock;
        clock.start();
        quick.show();
        quick.Finish();
        QCoreApplication::processEvents();
        QVERIFY(quick.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!quick.isVisible(), 5000);
        QVERIFY(clock.elapsed() >= RecognitionWaitDialog::kMinimumShownMs);
        QCOMPARE(quick.result(), int(QDialog::Accepted));
    }
};

SCRIVA_QTEST(RecognitionUiTest)

#include "test_recognition_ui.moc"
