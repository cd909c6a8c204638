// Presenter mode in the running program over a moving test pattern: F11 in
// the main window brings the camera and shows the live picture alone, full
// screen on the window's screen; the picture is the camera's; Space freezes
// it and Take Photo saves the frozen frame at full size through the photo
// settings; the turn is kept in the settings for the next time; the selected
// thumbnail shows beside the live picture; Esc leaves and the main window,
// its panes and the image view are as they were.

#include "AppTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/frame/PresenterCommands.h"
#include "app/shell/CScrivaApp.h"
#include "capture_view/ui/CVideoView.h"
#include "capture_view/ui/PresenterWindow.h"
#include "config/CommandIds.h"
#include "config/SettingsKeys.h"
#include "thumbs/ui/CThumbView.h"

#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace settings = scriva::settings;

class TestPresenterMode : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "HOME",
                               "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    QString folder() const { return m_home->path() + "/Documents/Scriva"; }
    QStringList photos() const { return QDir(folder()).entryList(QDir::Files, QDir::Name); }

    // What of the main window must be as it was after presenter mode.
    struct Looks
    {
        QRect geometry;
        Qt::WindowStates state;
        int mode;
        bool leftCollapsed;
        bool menuShown;
        bool statusShown;
        bool operator==(const Looks& o) const
        {
            return geometry == o.geometry && state == o.state && mode == o.mode &&
                   leftCollapsed == o.leftCollapsed && menuShown == o.menuShown &&
                   statusShown == o.statusShown;
        }
    };
    static Looks LooksOf(CMainFrame* frame)
    {
        return {frame->geometry(),
                frame->windowState(),
                frame->RightAreaMode(),
                frame->IsLeftColumnCollapsed(),
                frame->menuBar()->isVisible(),
                frame->statusBar()->isVisible()};
    }

private slots:
    void cleanup() { m_home.reset(); }

    void presentsFreezesPhotographsTurnsAndLeaves()
    {
        m_home = apptest::freshDesktopHome(
            "gst:videotestsrc is-live=true pattern=smpte horizontal-speed=5 ! "
            "video/x-raw,format=BGR,width=640,height=480,framerate=15/1");
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        QVERIFY(frame);
        // Photos of the whole picture, as taken, in a lossless format.
        settings::WriteString(app.settings(), settings::kPageSizeName, QStringLiteral("All"));
        settings::WriteInt(app.settings(), settings::kImageDirection, 0);
        settings::WriteString(app.settings(), settings::kPhotoFormat, QStringLiteral("png"));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QCOMPARE(frame->RightAreaMode(), scriva::mode::kImage);
        const Looks before = LooksOf(frame);
        PresenterCommands& presenter = frame->presenter();

        // F11 in the main window: the camera comes and the picture fills the screen.
        QTest::keyClick(frame, Qt::Key_F11);
        QVERIFY(presenter.IsPresenting());
        PresenterWindow* window = presenter.Window();
        QVERIFY(window->isVisible());
        QVERIFY(window->isFullScreen());
        QCOMPARE(window->screen(), frame->screen());
        QCOMPARE(window->geometry(), frame->screen()->geometry());
        QCOMPARE(frame->RightAreaMode(), scriva::mode::kCapture);
        QVERIFY(frame->videoView()->IsShownElsewhere());
        PresenterView* live = window->LiveView();
        QTRY_VERIFY_WITH_TIMEOUT(live->HasPicture() && live->PaintCount() > 1, 10000);
        QCOMPARE(live->Transform().FrameSize(), QSize(640, 480));
        QVERIFY(live->Transform().IsFit());
        QVERIFY(frame->router().state(scriva::cmd::kPresenterMode).checked);
        // Every toolbar button shows its command's picture.
        const auto buttons = window->ToolBar()->findChildren<QToolButton*>();
        QCOMPARE(buttons.size(), 15); // with the six drawing buttons
        for (const QToolButton* button : buttons)
            QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));

        // Space freezes; the picture is the frozen frame; Enter takes its photo.
        QTest::keyClick(window, Qt::Key_Space);
        QVERIFY(live->IsFrozen());
        const QImage shown = live->grab().toImage();
        const QPointF centre = live->Transform().PictureRect().center();
        const QPointF page = live->Transform().WidgetToPage(centre);
        const CxImage& frozen = live->FrozenFrame();
        const RGBQUAD c = frozen.GetPixelColor(int(page.x()), 479 - int(page.y()));
        QCOMPARE(shown.pixel(centre.toPoint()), qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue));
        const uint64_t frames = frame->videoView()->Graph().Callback().FrameCount();
        QTRY_VERIFY_WITH_TIMEOUT(frame->videoView()->Graph().Callback().FrameCount() > frames + 2,
                                 10000);
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(photos(), QStringList{"IMG_1.png"});
        CxImage photo;
        QVERIFY(photo.Load(QFile::encodeName(folder() + "/IMG_1.png").toStdString()));
        QCOMPARE(int(photo.GetWidth()), 640);
        QCOMPARE(int(photo.GetHeight()), 480);
        for (const QPoint at :
             {QPoint(5, 5), QPoint(320, 240), QPoint(600, 100), QPoint(100, 400)}) {
            const RGBQUAD a = photo.GetPixelColor(at.x(), at.y());
            const RGBQUAD b = frozen.GetPixelColor(at.x(), at.y());
            QVERIFY2(a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue,
                     qPrintable(QStringLiteral("photo differs from the frozen frame at %1,%2")
                                    .arg(at.x())
                                    .arg(at.y())));
        }
        // The saved photo is listed and selected; B shows it beside the live picture.
        QCOMPARE(frame->thumbView()->SelectedPath(), folder() + "/IMG_1.png");
        QTest::keyClick(window, Qt::Key_B);
        QVERIFY(window->IsBeside());
        QCOMPARE(window->PhotoView()->Transform().FrameSize(), QSize(640, 480));
        QTest::keyClick(window, Qt::Key_B);
        QVERIFY(!window->IsBeside());
        QTest::keyClick(window, Qt::Key_Space);
        QVERIFY(!live->IsFrozen());

        // R turns the live picture; the turn is kept in the settings.
        QTest::keyClick(window, Qt::Key_R);
        QCOMPARE(live->Transform().Turn(), 90);
        QCOMPARE(settings::ReadInt(app.settings(), settings::kPresenterTurn), 90);

        // Esc leaves: the main window is as it was, with the image view.
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!presenter.IsPresenting());
        QCOMPARE(frame->RightAreaMode(), scriva::mode::kImage);
        QVERIFY(LooksOf(frame) == before);

        // The next time starts turned as left; F11 in the presenter leaves too.
        QVERIFY(frame->router().dispatch(scriva::cmd::kPresenterMode));
        QVERIFY(presenter.IsPresenting());
        QCOMPARE(presenter.Window()->Turn(), 90);
        QTest::keyClick(presenter.Window(), Qt::Key_F11);
        QVERIFY(!presenter.IsPresenting());
        QVERIFY(LooksOf(frame) == before);
    }
};

SCRIVA_QTEST(TestPresenterMode)
#include "test_presenter_mode.moc"
