// The application started the way the program starts: shipped settings and
// packs from the data folder, the real main frame and document.

#include "AppTestSupport.h"
#include "EventIdle.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/shell/AboutDialog.h"
#include "app/shell/AppEvent.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/RecentFiles.h"
#include "app/widgets/CStaticLink.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"
#include "config/Languages.h"
#include "ocr/COcrEngine.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

class TestAppRunning : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    void freshHome() { m_home = apptest::freshHome("test"); } // videotestsrc

    static void button(int code)
    {
        QCoreApplication::postEvent(qApp, new AppEvent(scriva::msg::kButton, code, 0));
        QCoreApplication::sendPostedEvents(qApp);
    }

private slots:
    void startsWithTheShippedSettings()
    {
        freshHome();
        CScrivaApp app;
        apptest::BoxCatcher catcher;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        QCOMPARE(catcher.boxes.size(), 0);
        // First run: the user's file is a copy of the shipped one.
        QVERIFY(QFileInfo::exists(scriva::userConfigFile()));
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        QVERIFY(frame);
        QVERIFY(frame->isVisible());
        QVERIFY(frame->acceptDrops());
        QCOMPARE(app.languageIndex(), scriva::languages::IndexOfCode(app.languageCode()));
        QVERIFY(app.languageIndex() > 0);

        QMenu* recent = frame->recentFileMenu();
        QVERIFY(recent);
        QCOMPARE(recent->actions().size(), 1);
        QCOMPARE(recent->actions()[0]->text(), app.pack().String(scriva::cmd::kFirstRecentFile));
        QVERIFY(!recent->actions()[0]->isEnabled());

        // The application answers its commands through the frame's router.
        QCOMPARE(frame->router().state(scriva::cmd::kClearRecentFiles).enabled, false);
        app.recentFiles()->Add(m_home->filePath(QStringLiteral("page.jpg")));
        QCOMPARE(frame->router().state(scriva::cmd::kClearRecentFiles).enabled, true);
        QCOMPARE(recent->actions().size(), 1);
        QVERIFY(recent->actions()[0]->isEnabled());
        QVERIFY(frame->router().dispatch(scriva::cmd::kClearRecentFiles));
        QVERIFY(app.recentFiles()->IsEmpty());
        QCOMPARE(frame->router().state(scriva::cmd::kClearRecentFiles).enabled, false);
    }

    void aboutBoxFromTheHelpMenu()
    {
        freshHome();
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        QVERIFY(frame);
        QString versionLine;
        QString address;
        apptest::ModalHandler<AboutDialog> about([&](AboutDialog* dialog) {
            versionLine = dialog->findChild<QLabel*>(QStringLiteral("id_1087"))->text();
            address = dialog->findChild<CStaticLink*>(QStringLiteral("id_1082"))->Url();
            dialog->accept();
        });
        QVERIFY(frame->router().dispatch(scriva::cmd::kAbout));
        QVERIFY(about.seen());
        // The engine library's own version.
        const QString engine = COcrEngine::EngineVersion();
        QVERIFY(engine.startsWith(QStringLiteral("5.")));
        // The build's one version, as `scriva --version` prints it.
        QProcess program;
        program.start(apptest::scrivaProgram(), {QStringLiteral("--version")});
        QVERIFY(program.waitForFinished(20000));
        const QString printed = QString::fromLatin1(program.readAllStandardOutput()).trimmed();
        QVERIFY2(printed.startsWith(QStringLiteral("scriva ")), qPrintable(printed));
        const QString version = printed.mid(7);
        QCOMPARE(version, QStringLiteral(SCRIVA_TEST_PROJECT_VERSION));
        QCOMPARE(versionLine, app.pack().String(scriva::str::DialogText(
                                  scriva::form::kAbout, scriva::ctl::kAboutVersion)) +
                                  QLatin1Char(' ') + version + QStringLiteral(" ( ") + engine +
                                  QStringLiteral(" )"));
        QCOMPARE(address,
                 app.settings().GetString(QStringLiteral("URL"), QStringLiteral("NORMAL")));
        QVERIFY(!address.isEmpty());
    }

    void buttonsReachTheFrameInTheChosenLanguage()
    {
        freshHome();
        QVERIFY(apptest::writeSettings(scriva::userConfigFile(),
                                       {{QStringLiteral("language"), QStringLiteral("Ger")}}));
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        QCOMPARE(app.languageIndex(), 7);
        // Qt's own dialogs speak the chosen language too.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        QVERIFY(frame);
        QCOMPARE(frame->RightAreaMode(), int(scriva::mode::kImage));

        apptest::BoxCatcher catcher;
        button(0x04); // zoom in without an image
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].text, app.pack().String(scriva::str::kNoImageHere));
        QCOMPARE(catcher.boxes[0].title, app.pack().String(scriva::str::kBoxTitle));
        QVERIFY(catcher.boxes[0].buttonTexts.contains(app.pack().String(scriva::str::kButtonOk)));
        button(0x40); // a photo while the image view is shown
        QCOMPARE(catcher.boxes.size(), 2);
        QCOMPARE(catcher.boxes[1].text, app.pack().String(scriva::str::kNoPhotoHere));

        // While a worker runs, nothing happens; afterwards the switch does.
        app.setBusy(CScrivaApp::BusyEditing, true);
        button(0x20);
        QCOMPARE(frame->RightAreaMode(), int(scriva::mode::kImage));
        app.setBusy(CScrivaApp::BusyEditing, false);
        button(0x20);
        QTRY_COMPARE(frame->RightAreaMode(), int(scriva::mode::kCapture));
        QCOMPARE(catcher.boxes.size(), 2);
        app.shutdown();
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }
};

SCRIVA_QTEST(TestAppRunning)
// The running application at its edges: the language code other settings keys
// are built from, files dropped on the window, events posted from another
// thread, switch requests while the failure box is open, Exit and the file
// types the Open prompt offers.
class TestAppRunningEdges : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    void freshHome(const QString& language)
    {
        m_home = apptest::freshHome();
        QVERIFY(apptest::writeSettings(scriva::userConfigFile(),
                                       {{QStringLiteral("language"), language}}));
    }

private slots:
    // Settings keys such as the page-size list are formed from the language
    // code, so it is the table's own lower-case code however the file spells it.
    void languageCodeIsTheTablesCode()
    {
        freshHome(QStringLiteral("GER"));
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        QCOMPARE(app.languageIndex(), 7);
        QCOMPARE(app.languageCode(), QStringLiteral("ger"));
        QCOMPARE(app.settings().GetString(QStringLiteral("language"), QStringLiteral("NORMAL")),
                 QStringLiteral("GER")); // the file keeps what the user wrote
    }

    // A dropped file is only read: the drop is a copy, so the program the file
    // came from never deletes it as it would after a move.
    void droppedFilesAreCopiedNeverMoved()
    {
        freshHome(QStringLiteral("en"));
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        QWidget* window = app.mainWindow();
        QVERIFY(window);
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_home->filePath(QStringLiteral("page.png")))});

        // Shift asks for a move, as it does in a file manager.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                              Qt::ShiftModifier);
        QCOMPARE(enter.proposedAction(), Qt::MoveAction);
        QCoreApplication::sendEvent(window, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);

        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                        Qt::ShiftModifier);
        QCOMPARE(drop.proposedAction(), Qt::MoveAction);
        apptest::BoxCatcher catcher; // the dropped name is no picture: the document says so
        QCoreApplication::sendEvent(window, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(catcher.boxes.size(), 1);

        // A drag that can only move is refused.
        QDragEnterEvent moveOnly(QPoint(5, 5), Qt::MoveAction, &files, Qt::LeftButton,
                                 Qt::NoModifier);
        QCoreApplication::sendEvent(window, &moveOnly);
        QVERIFY(!moveOnly.isAccepted());
    }

    // Camera buttons and workers post from their own threads; the presses
    // reach the application on its thread, and a press with a second
    // parameter is still ignored.
    void eventsPostedFromAnotherThread()
    {
        freshHome(QStringLiteral("en"));
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        apptest::BoxCatcher catcher;
        std::thread worker([] {
            QCoreApplication::postEvent(qApp, new AppEvent(scriva::msg::kButton, 0x04, 5));
            QCoreApplication::postEvent(qApp, new AppEvent(scriva::msg::kButton, 0x04, 0));
        });
        worker.join();
        QTRY_COMPARE(catcher.boxes.size(), 1); // zoom in without an image
        QCOMPARE(catcher.boxes[0].text, app.pack().String(scriva::str::kNoImageHere));
        QVERIFY(scriva::test::processUntilIdle());
        QCOMPARE(catcher.boxes.size(), 1);
    }

    // The camera does not start: while the real box says so, a camera button
    // and the switch command arrive through the box's own event loop. Both
    // are refused; one box, and the image view is back afterwards.
    void switchRequestsDuringTheFailureBoxAreRefused()
    {
        freshHome(QStringLiteral("en")); // no camera at all
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        QVERIFY(frame);
        int boxes = 0;
        bool refused = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            ++boxes;
            // The string, then why (no camera is chosen in the tests).
            QCOMPARE(box->text(), app.pack().String(scriva::str::kCaptureFailed) +
                                      QStringLiteral("\n\nno camera is chosen"));
            QCoreApplication::postEvent(qApp, new AppEvent(scriva::msg::kButton, 0x20, 0));
            QCoreApplication::sendPostedEvents(qApp);
            refused = !frame->router().dispatch(scriva::cmd::kSwitchRightArea) &&
                      frame->RightAreaMode() == scriva::mode::kCapture;
            box->button(QMessageBox::Ok)->click();
        });
        poll.start(10);
        QVERIFY(frame->router().dispatch(scriva::cmd::kSwitchRightArea));
        poll.stop();
        QCOMPARE(boxes, 1);
        QVERIFY(refused);
        QCOMPARE(frame->RightAreaMode(), scriva::mode::kImage);
        QVERIFY(frame->imageView());
        QVERIFY(!app.isBusy());
    }

    // File > Exit closes the main window as its close button does.
    void exitClosesTheMainWindow()
    {
        freshHome(QStringLiteral("en"));
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        QVERIFY(frame);
        frame->actions().refresh();
        QAction* exit = frame->actions().find(scriva::cmd::kExit);
        QVERIFY(exit);
        QVERIFY(exit->isEnabled());
        QVERIFY(frame->isVisible());
        exit->trigger();
        QVERIFY(!frame->isVisible());
    }

    // File Open offers the program's file-type table: every type it can open,
    // in table order, and the table's own title.
    void openPromptOffersTheFileTypeTable()
    {
        freshHome(QStringLiteral("en"));
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        QStringList filters;
        QString title;
        apptest::ModalHandler<QFileDialog> prompt([&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            title = dialog->windowTitle();
            dialog->reject();
        });
        QVERIFY(app.OnCommand(scriva::cmd::kFileOpen));
        QVERIFY(prompt.seen());
        QCOMPARE(title, QStringLiteral("Open image file"));
        const QString supported = QStringLiteral(
            "Supported files (*.bmp *.gif *.jpg *.jpeg *.png *.ico *.tif *.tiff *.tga *.pcx "
            "*.wbmp *.wmf *.emf *.j2k *.jp2 *.jbg *.j2c *.jpc *.pgx *.pnm *.pgm *.ppm *.ras "
            "*.mng *.jng *.ska *.nef *.crw *.cr2 *.mrw *.raf *.erf *.3fr *.dcr *.raw *.dng "
            "*.pef *.x3f *.arw *.sr2 *.mef *.orf)");
        QCOMPARE(filters, (QStringList{supported, QStringLiteral("BMP files (*.bmp)"),
                                       QStringLiteral("JPG files (*.jpg *.jpeg)"),
                                       QStringLiteral("PNG files (*.png)"),
                                       QStringLiteral("TIF files (*.tif *.tiff)")}));
    }
};

SCRIVA_QTEST(TestAppRunningEdges)
#include "test_app_running.moc"
