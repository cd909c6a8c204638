// The main window opens where the last run left it: the placement rule over
// arrangements of screens, the settings it is kept in, and the running program
// closed and started again (geometry, maximised state and pane sizes kept; a
// window saved off every screen opens on one).

#include "AppTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/frame/FramePanes.h"
#include "app/frame/WindowPlacement.h"
#include "app/shell/CScrivaApp.h"
#include "app/widgets/CSplitterWndEx.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <QScreen>
#include <QSplitterHandle>
#include <QTest>

namespace settings = scriva::settings;

class WindowPlacementTest : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};

private slots:
    void savedWindowsComeBackOntoAScreen();
    void placementLivesInTheUsersSettings();
    void closedAndStartedAgainKeepsTheWindow();
    void windowSavedOffScreenOpensVisible();
};

void WindowPlacementTest::savedWindowsComeBackOntoAScreen()
{
    const std::vector<ScreenArea> two = {{QStringLiteral("HDMI-1"), QRect(0, 0, 1920, 1050)},
                                         {QStringLiteral("DP-2"), QRect(1920, 0, 1280, 1024)}};
    const std::vector<ScreenArea> laptop = {{QStringLiteral("eDP-1"), QRect(0, 32, 1366, 736)}};
    struct Case
    {
        const char* what;
        QRect saved;
        const char* screen;
        std::vector<ScreenArea> screens;
        QRect expected;
    } cases[] = {
        {"where it was", QRect(100, 80, 800, 600), "HDMI-1", two, QRect(100, 80, 800, 600)},
        {"on the second screen", QRect(2000, 100, 800, 600), "DP-2", two,
         QRect(2000, 100, 800, 600)},
        {"partly off the right edge, title reachable", QRect(1800, 50, 800, 600), "HDMI-1", two,
         QRect(1800, 50, 800, 600)},
        {"second screen unplugged: centred on the primary", QRect(2000, 100, 800, 600), "DP-2",
         laptop, QRect(283, 100, 800, 600)},
        {"larger than the screen left: fitted", QRect(2000, 100, 1600, 1200), "DP-2", laptop,
         QRect(0, 32, 1366, 736)},
        {"far away", QRect(-5000, -5000, 400, 300), "HDMI-1", two, QRect(760, 375, 400, 300)},
        {"title above the screen", QRect(100, -200, 800, 600), "HDMI-1", two,
         QRect(560, 225, 800, 600)},
        {"only a sliver on screen", QRect(1900, 100, 800, 600), "", laptop,
         QRect(283, 100, 800, 600)},
        {"under the panel of the laptop", QRect(10, 0, 800, 600), "eDP-1", laptop,
         QRect(283, 100, 800, 600)},
        {"screen renamed, same place", QRect(50, 40, 700, 500), "VGA-0", two,
         QRect(50, 40, 700, 500)},
        {"taller than the free area: height fitted", QRect(10, 40, 800, 900), "eDP-1", laptop,
         QRect(10, 40, 800, 736)},
    };
    for (const Case& c : cases) {
        const QRect placed = placement::OnScreens(c.saved, QLatin1String(c.screen), c.screens);
        QVERIFY2(placed == c.expected, qPrintable(QStringLiteral("%1: %2,%3 %4x%5")
                                                      .arg(QLatin1String(c.what))
                                                      .arg(placed.x())
                                                      .arg(placed.y())
                                                      .arg(placed.width())
                                                      .arg(placed.height())));
        bool reachable = false;
        for (const ScreenArea& s : c.screens)
            reachable |= placement::Reachable(placed, s.available);
        QVERIFY2(reachable, c.what);
    }
    // Nothing attached (no screen known yet): left as it was.
    QCOMPARE(placement::OnScreens(QRect(1, 2, 3, 4), QString(), {}), QRect(1, 2, 3, 4));
}

void WindowPlacementTest::placementLivesInTheUsersSettings()
{
    CConfigFile config;
    // Nothing kept yet: maximised, nothing else.
    WindowPlacement none = WindowPlacement::Read(config);
    QVERIFY(!none.HasGeometry());
    QVERIFY(none.maximized);
    QCOMPARE(none.leftColumn, -1);
    QCOMPARE(none.textRow, -1);

    WindowPlacement kept;
    kept.geometry = QRect(-1200, 40, 900, 700); // a screen to the left has negative x
    kept.maximized = false;
    kept.screen = QStringLiteral("DP-2");
    kept.leftColumn = 260;
    kept.textRow = 0;
    kept.Write(config);
    QCOMPARE(config.GetString(QStringLiteral("geometry"), QStringLiteral("MAIN_WINDOW")),
             QStringLiteral("-1200, 40, 900, 700"));
    const WindowPlacement back = WindowPlacement::Read(config);
    QCOMPARE(back.geometry, kept.geometry);
    QCOMPARE(back.maximized, false);
    QCOMPARE(back.screen, kept.screen);
    QCOMPARE(back.leftColumn, 260);
    QCOMPARE(back.textRow, 0);

    // Broken values read as not kept.
    struct Broken
    {
        settings::Key key;
        const char* value;
    } broken[] = {{settings::kWindowGeometry, "10, 20, 0, 300"},
                  {settings::kWindowGeometry, "10, 20, 300"},
                  {settings::kWindowGeometry, "a, b, c, d"},
                  {settings::kWindowLeftColumn, "-5"},
                  {settings::kWindowTextRow, "x"}};
    for (const Broken& b : broken) {
        CConfigFile c;
        QVERIFY(settings::WriteString(c, b.key, QLatin1String(b.value)));
        const WindowPlacement p = WindowPlacement::Read(c);
        QVERIFY2(!p.HasGeometry() && p.leftColumn == -1 && p.textRow == -1, b.value);
    }
    // A screen name a settings value cannot hold is not kept.
    WindowPlacement odd = kept;
    odd.screen = QStringLiteral("a;b");
    CConfigFile c;
    odd.Write(c);
    QCOMPARE(WindowPlacement::Read(c).screen, QString());
    QCOMPARE(WindowPlacement::Read(c).geometry, kept.geometry);
}

namespace {
// Drags a splitter's bar by `delta` pixels as a user does.
void dragBar(QSplitter* splitter, int delta)
{
    QSplitterHandle* handle = splitter->handle(1);
    const QPoint middle = handle->rect().center();
    const QPoint to = splitter->orientation() == Qt::Horizontal ? middle + QPoint(delta, 0)
                                                                : middle + QPoint(0, delta);
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, middle);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), handle->mapToGlobal(QPointF(to)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, to);
}

CMainFrame* started(CScrivaApp& app)
{
    if (!app.init({QStringLiteral("scriva")}))
        return nullptr;
    auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
    if (frame && !QTest::qWaitForWindowExposed(frame))
        return nullptr;
    QCoreApplication::processEvents();
    return frame;
}
} // namespace

void WindowPlacementTest::closedAndStartedAgainKeepsTheWindow()
{
    const auto home = apptest::freshHome();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect chosen(area.left() + 40, area.top() + 30, area.width() * 3 / 4,
                       area.height() * 3 / 4);
    QList<int> columns, rows;
    {
        CScrivaApp app;
        CMainFrame* frame = started(app);
        QVERIFY(frame);
        QVERIFY(frame->isMaximized()); // the first start
        frame->showNormal();
        frame->setGeometry(chosen);
        QCoreApplication::processEvents();
        QCOMPARE(frame->geometry(), chosen);
        dragBar(frame->panes().mainSplitter(), 37);
        frame->ShowResultPane(true);
        dragBar(frame->panes().rightSplitter(), 25);
        QCoreApplication::processEvents();
        columns = frame->panes().mainSplitter()->sizes();
        rows = frame->panes().rightSplitter()->sizes();
        QVERIFY(rows.value(1) > 0);
        QVERIFY(frame->close());
        app.shutdown();
    }
    // Kept in the user's file, which now names the window's section.
    CConfigFile saved;
    QVERIFY(saved.Load(scriva::userConfigFile()));
    QCOMPARE(settings::ReadInt(saved, settings::kWindowMaximized), 0);
    {
        CScrivaApp app;
        CMainFrame* frame = started(app);
        QVERIFY(frame);
        QVERIFY(!frame->isMaximized());
        QCOMPARE(frame->geometry(), chosen);
        QCOMPARE(frame->panes().mainSplitter()->sizes(), columns);
        QCOMPARE(frame->panes().rightSplitter()->sizes(), rows);
        // Now maximised when it closes.
        frame->showMaximized();
        QCoreApplication::processEvents();
        QVERIFY(frame->close());
        app.shutdown();
    }
    {
        CScrivaApp app;
        CMainFrame* frame = started(app);
        QVERIFY(frame);
        QVERIFY(frame->isMaximized());
        QCOMPARE(frame->panes().mainSplitter()->sizes().value(0), columns.value(0));
        QCOMPARE(frame->panes().rightSplitter()->sizes().value(1), rows.value(1));
        // Its normal place, where un-maximising takes it, is the one kept.
        QCOMPARE(frame->normalGeometry(), chosen);
        QVERIFY(frame->close());
    }
}

void WindowPlacementTest::windowSavedOffScreenOpensVisible()
{
    const auto home = apptest::freshHome();
    QVERIFY(scriva::ensureUserConfig());
    CConfigFile user;
    QVERIFY(user.Load(scriva::userConfigFile()));
    WindowPlacement far;
    far.geometry = QRect(6000, 4000, 500, 400);
    far.maximized = false;
    far.screen = QStringLiteral("A-SCREEN-UNPLUGGED");
    far.Write(user);
    QVERIFY(user.Save(scriva::userConfigFile()));

    CScrivaApp app;
    CMainFrame* frame = started(app);
    QVERIFY(frame);
    QVERIFY(!frame->isMaximized());
    const QRect area = frame->screen()->availableGeometry();
    QCOMPARE(frame->size(), QSize(500, 400));
    QVERIFY2(area.contains(frame->geometry()),
             qPrintable(QStringLiteral("%1,%2").arg(frame->x()).arg(frame->y())));
    QVERIFY(placement::Reachable(frame->geometry(), area));
    QVERIFY(frame->close());
}

SCRIVA_QTEST(WindowPlacementTest)
#include "test_window_placement.moc"
