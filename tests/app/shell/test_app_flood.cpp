// The running application under pressure from outside: a peer that floods the
// instance socket with button lines, and a terminate request that arrives
// while boxes are open.

#include "AppTestSupport.h"
#include "EventIdle.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/shell/AppEvent.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/SingleInstance.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// The message boxes on screen now.
int visibleBoxes()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible())
            ++count;
    }
    return count;
}

// A peer of its own thread that connects to the socket and writes `lines`
// copies of `line` as fast as the socket takes them.
class FloodPeer
{
public:
    FloodPeer(const QString& socketPath, const QByteArray& line, int lines)
    {
        const QByteArray path = QFile::encodeName(socketPath);
        m_thread = std::thread([this, path, line, lines] { run(path, line, lines); });
    }
    ~FloodPeer() { m_thread.join(); }
    bool done() const { return m_done; }
    long long written() const { return m_written; }

private:
    void run(const QByteArray& path, const QByteArray& line, int lines)
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(),
                    std::min(size_t(path.size()), sizeof address.sun_path - 1));
        timeval limit = {20, 0}; // a server that stops reading must not hang the test
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            QByteArray all;
            for (int i = 0; i < lines; ++i)
                all += line;
            const char* at = all.constData();
            long long left = all.size();
            while (left > 0) {
                const ssize_t n = ::send(fd, at, size_t(left), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                at += n;
                left -= n;
                m_written += n;
            }
        }
        if (fd >= 0)
            ::close(fd);
        m_done = true;
    }

    std::thread m_thread;
    std::atomic<bool> m_done{false};
    std::atomic<long long> m_written{0};
};

// Boxes show again when the test ends, however it ends.
struct BoxesShowAgain
{
    ~BoxesShowAgain() { EndAppMessageBoxes(false); }
};

} // namespace

class TestAppFlood : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    void freshHome()
    {
        m_home = apptest::freshHome();
        QVERIFY(apptest::writeSettings(scriva::userConfigFile(),
                                       {{QStringLiteral("language"), QStringLiteral("en")}}));
    }

private slots:
    // Thousands of "button 4" lines on one connection, each of which asks for
    // the "no image" box: one box opens, the lines that arrive while it is
    // open are dropped, and the program still hears a press afterwards.
    void floodOfButtonLinesOpensOneBox()
    {
        freshHome();
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        const QString socket =
            QDir(scriva::runtimeFolder()).filePath(QLatin1String(SingleInstance::kName));
        QVERIFY(QFileInfo::exists(socket));

        int mostAtOnce = 0;
        int boxesSeen = 0;
        QPointer<QMessageBox> current;
        QString lastText;
        std::unique_ptr<FloodPeer> peer;
        QElapsedTimer sinceDone;
        sinceDone.start();
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            mostAtOnce = std::max(mostAtOnce, visibleBoxes());
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible() && box != current) {
                current = box;
                lastText = box->text();
                ++boxesSeen;
            }
            // The box stays open until the whole flood has been read.
            if (!peer || !peer->done()) {
                sinceDone.restart();
                return;
            }
            if (sinceDone.elapsed() < 500)
                return;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* open = qobject_cast<QMessageBox*>(widget); open && open->isVisible())
                    open->done(QMessageBox::Ok);
            }
        });
        watch.start(5);
        constexpr int kLines = 2000;
        peer = std::make_unique<FloodPeer>(socket, QByteArray("button 4\n"), kLines);
        QTRY_VERIFY_WITH_TIMEOUT(peer->done(), 30000);
        QCOMPARE(peer->written(), kLines * 9LL);
        QTRY_VERIFY_WITH_TIMEOUT(sinceDone.elapsed() > 700 && visibleBoxes() == 0, 10000);
        QCOMPARE(mostAtOnce, 1);
        QCOMPARE(boxesSeen, 1);

        // The program still answers: one more press, one more box.
        QString error;
        QVERIFY2(SingleInstance::SendButton(scriva::runtimeFolder(), 0x04, 0, &error),
                 qPrintable(error));
        QTRY_COMPARE(boxesSeen, 2);
        QCOMPARE(lastText, app.pack().String(scriva::str::kNoImageHere));
        QTRY_COMPARE(visibleBoxes(), 0);
        QCOMPARE(mostAtOnce, 1);
        watch.stop();
        peer.reset();
    }

    // Presses posted while a box is open are dropped, whoever posts them.
    void pressesDuringABoxAreDropped()
    {
        freshHome();
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        int mostAtOnce = 0;
        int ticks = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            mostAtOnce = std::max(mostAtOnce, visibleBoxes());
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            if (++ticks < 5) {
                for (int code : {0x04, 0x02, 0x08, 0x10, 0x40, 0x20})
                    QCoreApplication::postEvent(qApp, new AppEvent(scriva::msg::kButton, code, 0));
                return;
            }
            box->done(QMessageBox::Ok);
        });
        watch.start(10);
        QCoreApplication::postEvent(qApp, new AppEvent(scriva::msg::kButton, 0x04, 0));
        QTRY_VERIFY(ticks >= 5 && visibleBoxes() == 0);
        QVERIFY(scriva::test::processUntilIdle());
        watch.stop();
        QCOMPARE(mostAtOnce, 1);
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        QVERIFY(frame);
        QCOMPARE(frame->RightAreaMode(), int(scriva::mode::kImage)); // 0x20 did not switch
    }

    // A terminate request while boxes are open, one inside the other: both end
    // without a choice, no new box shows, and the main window closes.
    void terminateEndsTheBoxesAndClosesTheWindow()
    {
        BoxesShowAgain showAgain;
        freshHome();
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        QWidget* window = app.mainWindow();
        QVERIFY(window && window->isVisible());

        QList<QMessageBox::StandardButton> answers;
        int mostAtOnce = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            mostAtOnce = std::max(mostAtOnce, visibleBoxes());
            if (visibleBoxes() == 1) {
                // A box asked from inside the first one, as a second question would.
                watch.stop();
                QTimer::singleShot(20, this, [&] { app.Terminate(); });
                answers << AppMessageBox(window, QStringLiteral("inner question"),
                                         QMessageBox::Yes | QMessageBox::No);
            }
        });
        watch.start(10);
        answers << AppMessageBox(window, QStringLiteral("outer box"),
                                 QMessageBox::Ok | QMessageBox::Cancel);
        watch.stop();
        QCOMPARE(mostAtOnce, 1);
        QCOMPARE(answers,
                 (QList<QMessageBox::StandardButton>{QMessageBox::No, QMessageBox::Cancel}));
        QVERIFY(app.isTerminating());
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(visibleBoxes(), 0);
        // Boxes asked for now answer at once, unseen.
        QCOMPARE(AppMessageBox(nullptr, QStringLiteral("late"),
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel),
                 QMessageBox::Cancel);
        QCOMPARE(AppMessageBox(nullptr, QStringLiteral("late")), QMessageBox::Ok);
    }
};

SCRIVA_QTEST(TestAppFlood)
#include "test_app_flood.moc"
