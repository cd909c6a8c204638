// The application shell at its edges: a terminate request that arrives while
// start-up is still running, the language code other settings keys are built
// from, files dropped on the window, and the file types the Open prompt offers.

#include "AppTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/shell/AppEvent.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/SingleInstance.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"

#include <QDragEnterEvent>
#include <QFileDialog>
#include <QLocalServer>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

class TestReviewShell : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    void freshHome(const QString& language)
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", m_home->filePath(QStringLiteral("runtime")).toLocal8Bit());
        qputenv("SCRIVA_CAMERA", "none");
        QVERIFY(apptest::writeSettings(scriva::userConfigFile(),
                                       {{QStringLiteral("language"), language}}));
    }

    static QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

private slots:
    // A second instance asks the running one whether it is there and then shows
    // "already running". A session that ends at that moment must end the
    // program cleanly (and leave the user's settings alone), not kill it.
    void terminateDuringStartUpEndsCleanly()
    {
        QTemporaryDir dir;
        const QString runtime = dir.filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString userConfig = dir.filePath(QStringLiteral("config/scriva/config.cfg"));
        QVERIFY(apptest::writeSettings(userConfig,
                                       {{QStringLiteral("language"), QStringLiteral("en")}}));
        const QByteArray before = fileBytes(userConfig);

        // This test plays the running instance.
        QLocalServer running;
        running.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(running.listen(QDir(runtime).filePath(QLatin1String(SingleInstance::kName))));

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SCRIVA_CAMERA"), QStringLiteral("none"));
        program.setProcessEnvironment(env);
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/scriva"), {});
        QVERIFY(program.waitForStarted(10000));
        // The new program has reached its one-instance check.
        QVERIFY(running.waitForNewConnection(30000));

        program.terminate();
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1); // the start was refused, not completed
        QCOMPARE(fileBytes(userConfig), before);
    }

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
        QCoreApplication::sendEvent(window, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);

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
        QTest::qWait(50);
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

SCRIVA_QTEST(TestReviewShell)
#include "test_review_shell.moc"
