// One instance per user, the restart takeover, and camera buttons arriving
// over the instance socket, from this process and from the scriva program.

#include "AppTestSupport.h"
#include "EventIdle.h"
#include "QtTestRegistry.h"
#include "app/shell/AppEvent.h"
#include "app/shell/SingleInstance.h"
#include "config/CommandIds.h"

#include <QFile>
#include <QImage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct ButtonPress
{
    uintptr_t code;
    intptr_t lParam;
    bool operator==(const ButtonPress& o) const { return code == o.code && lParam == o.lParam; }
};

class ButtonReceiver : public QObject
{
public:
    QList<ButtonPress> presses;

protected:
    void customEvent(QEvent* event) override
    {
        if (event->type() == QEvent::Type(scriva::msg::kButton)) {
            const auto* e = static_cast<AppEvent*>(event);
            presses << ButtonPress{e->wParam(), e->lParam()};
        }
    }
};

// Runs scriva with no usable display and the given runtime folder.
struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runScriva(const QStringList& arguments, const QString& runtime)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(env);
    process.start(apptest::scrivaProgram(), arguments);
    Run run;
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString privateFolder(const QTemporaryDir& dir, const char* name)
{
    const QString path = dir.filePath(QLatin1String(name));
    QDir().mkpath(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestAppInstance : public QObject
{
    Q_OBJECT
    // The program on its own folders in `dir`, with English settings (or
    // `userBytes` as the user's settings file), started and listening on its socket.
    struct Running
    {
        QString runtime;
        QString userConfig;
        QString socket;
        QString savedPidVid; // as the exit save left it
    };
    void startListening(QProcess& program, const QTemporaryDir& dir, Running& r,
                        const QByteArray& userBytes = {})
    {
        r.runtime = privateFolder(dir, "runtime");
        r.userConfig = dir.filePath(QStringLiteral("config/scriva/config.cfg"));
        if (userBytes.isEmpty())
            QVERIFY(apptest::writeSettings(r.userConfig,
                                           {{QStringLiteral("language"), QStringLiteral("en")}}));
        else
            QVERIFY(apptest::writeBytes(r.userConfig, userBytes));
        apptest::startScriva(program, dir.path(), r.runtime);
        QVERIFY(program.waitForStarted(10000));
        r.socket = QDir(r.runtime).filePath(QLatin1String(SingleInstance::kName));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(r.socket), 30000);
    }

    // A terminate request ends the program within `limitMs` through its normal
    // exit (status 0, socket removed); killed afterwards when it does not.
    void endsNormallyOnTerminate(QProcess& program, const Running& r, int limitMs,
                                 const char* otherwise)
    {
        program.terminate();
        const bool ended = program.waitForFinished(limitMs);
        if (!ended) {
            program.kill();
            program.waitForFinished(5000);
        }
        QVERIFY2(ended, otherwise);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(r.socket));
    }

    // Starts the program on English settings, runs `meanwhile` while it runs,
    // and checks that a terminate request ends it normally within `limitMs`
    // and that its exit save kept the settings it read.
    void runThenTerminate(Running& r, int limitMs, const char* otherwise,
                          const std::function<void(QProcess&)>& meanwhile)
    {
        QTemporaryDir dir;
        QProcess program;
        startListening(program, dir, r);
        if (QTest::currentTestFailed())
            return;
        meanwhile(program);
        if (QTest::currentTestFailed())
            return;
        endsNormallyOnTerminate(program, r, limitMs, otherwise);
        if (QTest::currentTestFailed())
            return;
        CConfigFile saved;
        QVERIFY(saved.Load(r.userConfig));
        QCOMPARE(saved.GetString(QStringLiteral("language"), QStringLiteral("NORMAL")),
                 QStringLiteral("en"));
        r.savedPidVid = saved.GetString(QStringLiteral("pidVid"), QStringLiteral("NORMAL"));
    }

private slots:
    void restartFlagIsAnExactArgument()
    {
        QVERIFY(!SingleInstance::HasRestartFlag({QStringLiteral("/opt/my-r/scriva")}));
        QVERIFY(!SingleInstance::HasRestartFlag({QStringLiteral("/usr/bin/scriva-r")}));
        QVERIFY(!SingleInstance::HasRestartFlag({QStringLiteral("-r")})); // the program itself
        QVERIFY(!SingleInstance::HasRestartFlag({QStringLiteral("scriva"), QStringLiteral("-rx")}));
        QVERIFY(!SingleInstance::HasRestartFlag({QStringLiteral("scriva"), QStringLiteral("x-r")}));
        QVERIFY(SingleInstance::HasRestartFlag(
            {QStringLiteral("/opt/a-r/scriva"), QStringLiteral("-r")}));
    }

    void buttonLines()
    {
        uint32_t code = 0;
        int64_t lParam = 0;
        QVERIFY(SingleInstance::ParseButtonLine("button 64\n", code, lParam));
        QCOMPARE(code, 64u);
        QCOMPARE(lParam, 0);
        QVERIFY(SingleInstance::ParseButtonLine("button 0x41 0X1f", code, lParam));
        QCOMPARE(code, 0x41u);
        QCOMPARE(lParam, 0x1f);
        QVERIFY(SingleInstance::ParseButtonLine("  button   0X20  -1 \r\n", code, lParam));
        QCOMPARE(code, 0x20u);
        QCOMPARE(lParam, -1);
        for (const char* bad :
             {"", "button", "button x", "btn 1", "Button 1", "button 1 2 3", "button -1",
              "button 0x", "button 99999999999", "button 1 0xZZ", "button +4", "button 0x-4",
              "button 4 --1", "button 1.5", "button 0x0x10", "button 1e3", "button 0x 1"}) {
            code = 7;
            QVERIFY2(!SingleInstance::ParseButtonLine(bad, code, lParam), bad);
            QCOMPARE(code, 7u);
        }
    }

    void secondInstanceRefusedAndRestartTakesOver()
    {
        QTemporaryDir dir;
        auto first = std::make_unique<SingleInstance>(dir.path());
        QCOMPARE(first->start(false), SingleInstance::Start::Listening);
        SingleInstance second(dir.path());
        QCOMPARE(second.start(false), SingleInstance::Start::AlreadyRunning);
        QVERIFY(first->isListening());

        // A restart runs at once and takes the name when the old one stops answering.
        SingleInstance restarted(dir.path());
        QSignalSpy listening(&restarted, &SingleInstance::listening);
        QCOMPARE(restarted.start(true), SingleInstance::Start::TakingOver);
        QVERIFY(!listening.wait(300));
        QVERIFY(!restarted.isListening());
        first.reset();
        QVERIFY(listening.wait(3000));
        QVERIFY(restarted.isListening());
        SingleInstance third(dir.path());
        QCOMPARE(third.start(false), SingleInstance::Start::AlreadyRunning);
    }

    void leftoverSocketOfADeadInstance()
    {
        QTemporaryDir dir;
        QFile leftover(dir.filePath(QLatin1String(SingleInstance::kName)));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        SingleInstance instance(dir.path());
        QCOMPARE(instance.start(false), SingleInstance::Start::Listening);
        QCOMPARE(SingleInstance(dir.path()).start(false), SingleInstance::Start::AlreadyRunning);
    }

    void buttonLinesOverTheSocket()
    {
        QTemporaryDir dir;
        ButtonReceiver receiver;
        SingleInstance instance(dir.path(), &receiver);
        QCOMPARE(instance.start(false), SingleInstance::Start::Listening);
        QLocalSocket client;
        client.connectToServer(instance.socketPath());
        QVERIFY(client.waitForConnected(2000));
        client.write("button 0x40\nrubbish\nbutton 8 3\nbutton 1 2 3\nbutton 0x10 0\n");
        QVERIFY(client.waitForBytesWritten(2000));
        QTRY_COMPARE(receiver.presses.size(), 3);
        QCOMPARE(receiver.presses[0], (ButtonPress{0x40, 0}));
        QCOMPARE(receiver.presses[1], (ButtonPress{8, 3}));
        QCOMPARE(receiver.presses[2], (ButtonPress{0x10, 0}));

        // An endless line ends that client; others are still heard.
        client.write(QByteArray(5000, 'x'));
        client.waitForBytesWritten(2000);
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
        QString error;
        QVERIFY(SingleInstance::SendButton(dir.path(), 0x20, 0, &error));
        QTRY_COMPARE(receiver.presses.size(), 4);
        QCOMPARE(receiver.presses[3], (ButtonPress{0x20, 0}));
    }

    // What one peer can make the server hold is bounded: connections beyond
    // the limit are closed at once, silent ones after a while, and of one
    // read's flood of lines only the first few become presses.
    void whatAPeerCanQueueIsBounded()
    {
        QTemporaryDir dir;
        ButtonReceiver receiver;
        SingleInstance instance(dir.path(), &receiver);
        QCOMPARE(instance.start(false), SingleInstance::Start::Listening);
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        for (int i = 0; i < 3 * SingleInstance::kMaxConnections; ++i) {
            clients.push_back(std::make_unique<QLocalSocket>());
            clients.back()->connectToServer(instance.socketPath());
            QVERIFY(clients.back()->waitForConnected(2000));
        }
        const auto stillOpen = [&] {
            return int(std::count_if(clients.begin(), clients.end(), [](const auto& c) {
                return c->state() == QLocalSocket::ConnectedState;
            }));
        };
        QTRY_COMPARE(stillOpen(), SingleInstance::kMaxConnections);

        // One write of many lines on a connection the server kept.
        QLocalSocket* kept = nullptr;
        for (const auto& client : clients) {
            if (client->state() == QLocalSocket::ConnectedState)
                kept = client.get();
        }
        QVERIFY(kept);
        constexpr int kLines = 1000;
        QByteArray flood;
        for (int i = 0; i < kLines; ++i)
            flood += "button 8\n";
        kept->write(flood);
        QVERIFY(kept->waitForBytesWritten(2000));
        QTRY_VERIFY(!receiver.presses.isEmpty());
        QVERIFY(scriva::test::processUntilIdle());
        const int reads = int(flood.size() / SingleInstance::kMaxBufferedBytes) + 1;
        QVERIFY2(receiver.presses.size() <= 2 * reads * SingleInstance::kMaxLinesPerRead,
                 qPrintable(QString::number(receiver.presses.size())));

        // The peers go; a new one is heard again.
        clients.clear();
        QVERIFY(scriva::test::processUntilIdle());
        receiver.presses.clear();
        QString error;
        QVERIFY2(SingleInstance::SendButton(dir.path(), 0x10, 0, &error), qPrintable(error));
        QTRY_COMPARE(receiver.presses.size(), 1);
    }

    void programOptionsNeedNoDisplay()
    {
        QTemporaryDir dir;
        const QString runtime = privateFolder(dir, "runtime");
        const Run help = runScriva({QStringLiteral("--help")}, runtime);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("--button CODE"));
        const Run version = runScriva({QStringLiteral("--version")}, runtime);
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith("scriva "));
        QCOMPARE(version.out.count('\n'), 1);
    }

    void buttonFromTheProgram()
    {
        QTemporaryDir dir;
        const QString runtime = privateFolder(dir, "runtime");
        ButtonReceiver receiver;
        SingleInstance instance(runtime, &receiver);
        QCOMPARE(instance.start(false), SingleInstance::Start::Listening);

        Run run = runScriva({QStringLiteral("--button"), QStringLiteral("0x40")}, runtime);
        QCOMPARE(run.exitCode, 0);
        QTRY_COMPARE(receiver.presses.size(), 1);
        QCOMPARE(receiver.presses[0], (ButtonPress{0x40, 0}));
        run = runScriva({QStringLiteral("--button"), QStringLiteral("65"), QStringLiteral("0x7")},
                        runtime);
        QCOMPARE(run.exitCode, 0);
        QTRY_COMPARE(receiver.presses.size(), 2);
        QCOMPARE(receiver.presses[1], (ButtonPress{0x41, 7}));

        run = runScriva({QStringLiteral("--button"), QStringLiteral("four")}, runtime);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.count('\n'), 1);
        run = runScriva({QStringLiteral("--button")}, runtime);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(scriva::test::processUntilIdle());
        QCOMPARE(receiver.presses.size(), 2);
    }

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
        const QByteArray before = apptest::fileBytes(userConfig);

        // This test plays the running instance.
        QLocalServer running;
        running.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(running.listen(QDir(runtime).filePath(QLatin1String(SingleInstance::kName))));

        QProcess program;
        apptest::startScriva(program, dir.path(), runtime);
        QVERIFY(program.waitForStarted(10000));
        // The new program has reached its one-instance check.
        QVERIFY(running.waitForNewConnection(30000));

        program.terminate();
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1); // the start was refused, not completed
        QCOMPARE(apptest::fileBytes(userConfig), before);
    }

    // The program as a user runs it: it starts with the shipped packs, listens
    // on its socket, and a terminate request closes it like the window's close
    // button, saving the settings.
    void programClosesCleanlyOnTerminate()
    {
        Running r;
        runThenTerminate(r, 30000, "the program ignored the terminate request",
                         [](QProcess& program) { QCOMPARE(program.state(), QProcess::Running); });
        // Nothing was changed: the exit save leaves the user's file as it was.
        QVERIFY(r.savedPidVid.isEmpty());
    }

    // A terminate request while a box is open (here the "no image" box a
    // camera button asked for): the box closes and the program ends as a
    // normal close does, with its exit save, instead of staying up until the
    // session kills it.
    void programEndsOnTerminateWhileABoxIsOpen()
    {
        Running r;
        runThenTerminate(r, 10000, "the program ignored the terminate request",
                         [&r](QProcess& program) {
                             QString error;
                             for (int i = 0; i < 3; ++i) // the later ones meet the open box
                                 QVERIFY2(SingleInstance::SendButton(r.runtime, 0x04, 0, &error),
                                          qPrintable(error));
                             QTest::qWait(1500); // the box is up
                             QCOMPARE(program.state(), QProcess::Running);
                         });
    }

    // The start-up box that tells of a settings file kept aside does not end
    // the start: a terminate request while it is open closes it, and then the
    // program (which starts on) must end through its normal exit as well.
    void programEndsOnTerminateDuringTheSettingsNotice()
    {
        QTemporaryDir dir;
        QProcess program;
        Running r;
        const QByteArray utf8 = "[NORMAL]\nlanguage=en\n"; // saved as UTF-8
        startListening(program, dir, r, utf8);
        if (QTest::currentTestFailed())
            return;
        QTest::qWait(1500); // the notice is up
        QCOMPARE(program.state(), QProcess::Running);
        endsNormallyOnTerminate(program, r, 10000,
                                "the program started on and ignored the terminate request");
        if (QTest::currentTestFailed())
            return;
        const QString userConfig = r.userConfig;
        const QStringList kept = QDir(QFileInfo(userConfig).path())
                                     .entryList({QStringLiteral("config.cfg.unreadable-*")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(apptest::fileBytes(QFileInfo(userConfig).path() + QLatin1Char('/') + kept[0]),
                 utf8);
        CConfigFile saved; // the settings the program ran with, in its own format
        QVERIFY(saved.Load(userConfig));
    }

    // "scriva FILE..." while Scriva runs (a file manager's "Open with"): the
    // running program opens the first file and lists them all, the second
    // start ends with status 0 instead of refusing and losing the files.
    void secondStartHandsItsFilesToTheRunningOne()
    {
        QTemporaryDir dir;
        QStringList files;
        for (const char* name : {"first page.png", "second%page.png"}) {
            QImage page(64, 48, QImage::Format_RGB32);
            page.fill(Qt::white);
            files << dir.filePath(QLatin1String(name));
            QVERIFY(page.save(files.last()));
        }
        QProcess running;
        Running r;
        startListening(running, dir, r);
        if (QTest::currentTestFailed())
            return;
        const QString runtime = r.runtime;
        QTest::qWait(500); // start-up done

        QProcess second;
        apptest::startScriva(second, dir.path(), runtime, files);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(second.readAllStandardError().isEmpty(), "the hand-over reported a fault");
        QTest::qWait(1500); // the running one opens the file
        QCOMPARE(running.state(), QProcess::Running);

        running.terminate();
        QVERIFY(running.waitForFinished(30000));
        QCOMPARE(running.exitCode(), 0);
        // The first file was opened: it heads the recent files.
        const QByteArray recent =
            apptest::fileBytes(dir.filePath(QStringLiteral("config/scriva/profile.ini")));
        QVERIFY2(recent.contains(files.first().toUtf8()), recent.constData());
    }

    void filesHandedOverTheSocket()
    {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QCOMPARE(running.start(false), SingleInstance::Start::Listening);
        QSignalSpy opened(&running, &SingleInstance::openRequested);
        const QStringList paths = {QStringLiteral("/tmp/a b.png"), QStringLiteral("/tmp/100%.jpg"),
                                   QStringLiteral("/tmp/\u00e9t\u00e9\nline.tif"),
                                   QLatin1Char('/') + QString(3000, QLatin1Char('x'))};
        QString error;
        QVERIFY2(SingleInstance::SendFiles(dir.path(), paths, &error), qPrintable(error));
        QVERIFY(opened.wait(3000));
        QCOMPARE(opened.first().first().toStringList(), paths);
        // A path too long for the socket is refused with its name, nothing is sent.
        const QString tooLong = QLatin1Char('/') + QString(5000, QLatin1Char('y'));
        QVERIFY(!SingleInstance::SendFiles(dir.path(), {tooLong}, &error));
        QVERIFY(error.contains(tooLong));
        QVERIFY(!opened.wait(300));
    }

    void buttonWithoutARunningInstance()
    {
        QTemporaryDir dir;
        const Run run = runScriva({QStringLiteral("--button"), QStringLiteral("0x20")},
                                  privateFolder(dir, "empty"));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray("scriva: no Scriva is running\n"));
    }

    void wrongOptionsSayWhatIsWrong()
    {
        QTemporaryDir dir;
        const QString runtime = privateFolder(dir, "runtime");
        Run run = runScriva({QStringLiteral("--bogus-option")}, runtime);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err,
                 QByteArray("scriva: unknown option '--bogus-option' (see scriva --help)\n"));
        run = runScriva({QStringLiteral("-r"), QStringLiteral("--bogus")}, runtime);
        QCOMPARE(run.exitCode, 2);
        for (const char* big : {"0x100000000", "4294967296", "-1"}) {
            run = runScriva({QStringLiteral("--button"), QLatin1String(big)}, runtime);
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.err,
                     QByteArray("scriva: --button: CODE out of range (0 to 0xFFFFFFFF)\n"));
        }
    }
};

SCRIVA_QTEST(TestAppInstance)
#include "test_app_instance.moc"
