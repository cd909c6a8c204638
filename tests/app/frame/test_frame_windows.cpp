// The main window as the application object drives it: the frame made from
// the application's own pack, its commands reaching the application, the busy
// state shared with the right-area switch and the capture view reading the
// application's settings. Also a frame whose toolbar resource is missing.

#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/FrameWindows.h"
#include "app/shell/CScrivaApp.h"
#include "config/CommandIds.h"
#include "thumbs/ui/CThumbView.h"

#include <QTemporaryDir>
#include <QTest>

using namespace frametest;

class FrameWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void frameFromTheApplication();
    void missingToolbarFailsCreation();
};

void FrameWindowsTest::frameFromTheApplication()
{
    CScrivaApp app;
    QVERIFY(app.pack().Load(dataFolder(), 1));
    FrameWindows windows(app);
    CMainFrame* frame = windows.frame();
    QVERIFY(frame->IsCreated());
    QCOMPARE(windows.Window(), static_cast<QWidget*>(frame));
    QVERIFY(windows.RecentFileMenu());
    QCOMPARE(windows.RightAreaMode(), scriva::mode::kImage);
    QVERIFY(!windows.HasImage());

    // Application commands are enabled by the application's own rules.
    frame->actions().refresh();
    QVERIFY(frame->actions().find(scriva::cmd::kAbout)->isEnabled()); // About
    QVERIFY(!frame->actions()
                 .find(scriva::cmd::kClearRecentFiles)
                 ->isEnabled()); // clear an empty recent list

    // While the application is busy the right area stays as it is.
    app.setBusy(CScrivaApp::BusyEditing, true);
    QVERIFY(!windows.SwitchRightPane());
    QVERIFY(!windows.DispatchCommand(scriva::cmd::kSwitchRightArea));
    app.setBusy(CScrivaApp::BusyEditing, false);
    bool busyDuringSwitch = false;
    frame->switcher().setCaptureViewFactory([&](CScrivaDoc& d) {
        busyDuringSwitch = app.isBusy(CScrivaApp::BusySwitching);
        return new StartingVideoView(d);
    });
    QVERIFY(windows.SwitchRightPane());
    QVERIFY(busyDuringSwitch);
    QVERIFY(!app.isBusy());
    QCOMPARE(windows.RightAreaMode(), scriva::mode::kCapture);
    // The capture view reads the application's own store, unsaved changes included.
    QCOMPARE(frame->videoView()->Settings(), &app.settings());

    // A confirmed preset area becomes the photos' page size in the application's store.
    app.settings().SetString(QStringLiteral("sizePicture"), QStringLiteral("A4"),
                             QStringLiteral("TAKE_PHOTOS_SET"));
    windows.document().Host().PresetAreaConfirmed();
    QVERIFY(frame->PresetAreaFlag());
    QCOMPARE(
        app.settings().GetString(QStringLiteral("sizePicture"), QStringLiteral("TAKE_PHOTOS_SET")),
        QStringLiteral("Preinstall"));
}

void FrameWindowsTest::missingToolbarFailsCreation()
{
    Recorder rec;
    TestFrameServices services(rec);
    services.toolbar = [](int) { return QJsonValue(QJsonValue::Undefined); };
    CScrivaDoc doc;
    {
        CMainFrame frame(services, doc);
        QVERIFY(!frame.IsCreated());
    }
    QVERIFY(doc.Views().empty()); // every pane left the document with the frame
}

SCRIVA_QTEST(FrameWindowsTest)
#include "test_frame_windows.moc"
