// The application started the way the program starts: shipped settings and
// packs from the data folder, the real main frame and document.

#include "AppTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/shell/AppEvent.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/RecentFiles.h"
#include "app/widgets/AboutDialog.h"
#include "app/widgets/CStaticLink.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"
#include "config/Languages.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

class TestAppRunning : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    void freshHome()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", m_home->filePath(QStringLiteral("runtime")).toLocal8Bit());
        qputenv("SCRIVA_CAMERA", "test"); // videotestsrc
    }

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
        app.setOcrVersion(QStringLiteral("5.3.0"));
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
        const QString version =
            app.settings().GetString(QStringLiteral("Version"), QStringLiteral("NORMAL"));
        QCOMPARE(versionLine, app.pack().String(scriva::str::DialogText(
                                  scriva::form::kAbout, scriva::ctl::kAboutVersion)) +
                                  QLatin1Char(' ') + version + QStringLiteral(" ( 5.3.0 )"));
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
#include "test_app_running.moc"
