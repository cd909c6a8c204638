// Editing, PDF export and the camera picture's print command in the running
// program: an edit runs on the worker and leaves the program idle with undo
// offered, the selected thumbnails become one PDF through the save prompt,
// and the camera picture's print command is not offered over the image view.

#include "AppTestSupport.h"
#include "PdfProbe.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/shell/CScrivaApp.h"
#include "config/CommandIds.h"
#include "image/CScrivaDoc.h"
#include "ocr/OcrSettings.h"
#include "thumbs/ui/CThumbView.h"

#include "capture_view/ui/CVideoView.h"

#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

class TestFrameImageCommands : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};

    static QString page(const QString& folder, const QString& name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(200, 180, 120));
        const QString path = folder + QLatin1Char('/') + name;
        return image.save(path) ? path : QString();
    }

private slots:
    void editExportAndCameraPrintReachTheirCommands()
    {
        QTemporaryDir home;
        apptest::useHome(home);
        const QString folder = home.filePath(QStringLiteral("pages"));
        QVERIFY(QDir().mkpath(folder));
        const QString a = page(folder, QStringLiteral("a.png"), QSize(60, 40));
        const QString b = page(folder, QStringLiteral("b.jpg"), QSize(50, 70));
        QVERIFY(!a.isEmpty() && !b.isEmpty());

        CScrivaApp app;
        CMainFrame* frame = apptest::StartWithImageView(app);
        QVERIFY(frame);
        CommandRouter& router = frame->router();
        CScrivaDoc& doc = frame->document();
        QVERIFY(doc.OpenDocument(a));

        // The camera picture is printed only from the camera view.
        QVERIFY(!router.state(scriva::cmd::kPrintCameraPicture).enabled);

        // A quarter turn on the worker: the program is idle again afterwards.
        QVERIFY(router.state(scriva::cmd::kRotateLeft90).enabled);
        QVERIFY(router.dispatch(scriva::cmd::kRotateLeft90));
        QTRY_VERIFY(!app.isBusy());
        QCOMPARE(int(doc.GetImage()->GetWidth()), 40);
        QCOMPARE(int(doc.GetImage()->GetHeight()), 60);
        QVERIFY(router.state(scriva::cmd::kUndo).enabled);

        // Both thumbnails selected become a two-page PDF under the chosen name.
        CThumbView* thumbs = frame->thumbView();
        thumbs->ScanFolder(folder);
        QCOMPARE(thumbs->ItemCount(), 2);
        thumbs->selectAll();
        const QString pdf = home.filePath(QStringLiteral("both.pdf"));
        apptest::ModalHandler<QFileDialog> choose([&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(pdf);
            static_cast<QDialog*>(dialog)->accept();
        });
        QVERIFY(router.state(scriva::cmd::kExportPdf).enabled);
        QVERIFY(router.dispatch(scriva::cmd::kExportPdf));
        QVERIFY(choose.seen());
        QTRY_VERIFY(!app.isBusy());
        QCOMPARE(pdftest::PageCount(pdf), 2);
    }

    // Export searchable PDF: beside Export to PDF in the File menu, the thumbnails'
    // menu and the toolbar; asks the file name, then the language of the text; the
    // pages carry their words, and a text the program holds for a page is that
    // page's text.
    void searchablePdfCarriesThePagesWords()
    {
        QTemporaryDir home;
        const QString folder = apptest::useHomeWithPages(home);
        QVERIFY(!folder.isEmpty());
        auto textPage = [&](const QString& name, const QString& text) {
            return apptest::writeTextPage(folder, name, text);
        };
        const QString a =
            textPage(QStringLiteral("a.png"), QStringLiteral("Minutes of the meeting"));
        const QString b = textPage(QStringLiteral("b.png"), QStringLiteral("Second page"));
        QVERIFY(!a.isEmpty() && !b.isEmpty());

        CScrivaApp app;
        CMainFrame* frame = apptest::StartWithImageView(app);
        QVERIFY(frame);
        CommandRouter& router = frame->router();
        CScrivaDoc& doc = frame->document();
        QVERIFY(doc.OpenDocument(a));

        const QString id = QStringLiteral("cmd_%1").arg(scriva::cmd::kExportSearchablePdf);
        QAction* item = nullptr;
        for (QMenu* menu : frame->menuBar()->findChildren<QMenu*>())
            for (QAction* action : menu->actions())
                if (action->objectName() == id)
                    item = action;
        QVERIFY(item);
        QVERIFY(!item->text().isEmpty());

        CThumbView* thumbs = frame->thumbView();
        thumbs->ScanFolder(folder);
        QCOMPARE(thumbs->ItemCount(), 2);
        thumbs->selectAll();
        QTRY_VERIFY(!thumbs->IsBuilding()); // an export waits for the column
        doc.RecognisedTexts()[b] = QStringLiteral("Held text of page two\r\n");
        const QString pdf = home.filePath(QStringLiteral("searchable.pdf"));
        bool named = false, asked = false;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog && !named) {
                named = true;
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(pdf);
                static_cast<QDialog*>(dialog)->accept();
            } else if (auto* box = modal ? modal->findChild<QComboBox*>(QStringLiteral("language"))
                                         : nullptr;
                       box && !asked) {
                asked = true;
                QCOMPARE(box->count(), 2);
                box->setCurrentIndex(box->findData(scriva::ocr::kLanguageLatin));
                static_cast<QDialog*>(modal)->accept();
            }
        });
        answer.start(10);
        QVERIFY(router.state(scriva::cmd::kExportSearchablePdf).enabled);
        QVERIFY(router.dispatch(scriva::cmd::kExportSearchablePdf));
        QVERIFY(named);
        QVERIFY(asked);
        QTRY_VERIFY(!app.isBusy());
        QCOMPARE(pdftest::PageCount(pdf), 2);
        QCOMPARE(pdftest::Text(pdf, 1, 1).simplified(), QStringLiteral("Minutes of the meeting"));
        QCOMPARE(pdftest::Text(pdf, 2, 2).simplified(), QStringLiteral("Held text of page two"));
    }

    // Save As has the desktop's usual key, next to Save's; no two menu items share a key.
    void saveAsHasCtrlShiftSAndNoKeyIsShared()
    {
        QTemporaryDir home;
        apptest::useHome(home, "demo");
        CScrivaApp app;
        CMainFrame* frame = apptest::StartWithImageView(app);
        QVERIFY(frame);
        const std::pair<int, const char*> keys[] = {{scriva::cmd::kFileSave, "Ctrl+S"},
                                                    {scriva::cmd::kFileSaveAs, "Ctrl+Shift+S"}};
        for (const auto& [id, key] : keys) {
            auto* action = frame->findChild<QAction*>(QStringLiteral("cmd_%1").arg(id));
            QVERIFY2(action, key);
            QCOMPARE(action->shortcut(), QKeySequence(QLatin1String(key)));
        }
        QMap<QKeySequence, QString> owners;
        for (QMenu* menu : frame->menuBar()->findChildren<QMenu*>())
            for (QAction* action : menu->actions()) {
                if (action->shortcut().isEmpty())
                    continue;
                const QString owner = owners.value(action->shortcut());
                QVERIFY2(owner.isEmpty() || owner == action->objectName(),
                         qPrintable(action->shortcut().toString() + QLatin1Char(' ') + owner +
                                    QLatin1Char(' ') + action->objectName()));
                owners.insert(action->shortcut(), action->objectName());
            }
    }

    // The camera picture's print is an item of the Camera menu with its own
    // key, offered while the camera view is shown; the key prints the picture.
    void cameraPictureIsPrintedFromTheCameraMenuAndItsKey()
    {
        QTemporaryDir home;
        apptest::useHome(home, "demo");

        CScrivaApp app;
        CMainFrame* frame = apptest::StartWithImageView(app);
        QVERIFY(frame);
        QAction* print = nullptr;
        QMenu* camera = nullptr;
        for (QMenu* menu : frame->menuBar()->findChildren<QMenu*>())
            for (QAction* action : menu->actions())
                if (action->objectName() == QStringLiteral("cmd_32805")) {
                    print = action;
                    camera = menu;
                }
        QVERIFY(print);
        QVERIFY(camera->actions().contains(
            frame->findChild<QAction*>(QStringLiteral("cmd_%1").arg(scriva::cmd::kTakePhoto))));
        QCOMPARE(print->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+P")));
        QVERIFY(!frame->router().state(scriva::cmd::kPrintCameraPicture).enabled);

        QVERIFY(frame->router().dispatch(scriva::cmd::kSwitchRightArea));
        QTRY_VERIFY(frame->RightAreaMode() == scriva::mode::kCapture && frame->videoView());
        CVideoView* video = frame->videoView();
        QTRY_VERIFY_WITH_TIMEOUT(video->Graph().Callback().FrameCount() > 0, 10000);
        emit camera->aboutToShow(); // the menu refreshes its items as it opens
        QVERIFY(print->isEnabled());

        const QString pdf = home.filePath(QStringLiteral("camera.pdf"));
        app.printer().setOutputFormat(QPrinter::PdfFormat);
        app.printer().setOutputFileName(pdf);
        apptest::ModalHandler<QPrintDialog> accept(
            [](QPrintDialog* dialog) { static_cast<QDialog*>(dialog)->accept(); });
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QTest::keyClick(frame, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(accept.seen());
        QTRY_COMPARE(pdftest::PageCount(pdf), 1);
        QCOMPARE(int(pdftest::Images(pdf).size()), 1);
    }
};

SCRIVA_QTEST(TestFrameImageCommands)

#include "test_frame_image_commands.moc"
