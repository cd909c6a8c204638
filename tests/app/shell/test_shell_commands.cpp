// The shell's outward commands through a host of recording fakes: the
// language switch (stored at once, restart only after Yes and a granted
// ask-to-save), the update rules of the language items, and the programs and
// page it starts, with the report of a program that cannot start.

#include "AppTestSupport.h"
#include "EventIdle.h"
#include "QtTestRegistry.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/ShellCommands.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Record
{
    QStringList stored;
    int asked = 0;
    int saveAsked = 0;
    int restarts = 0;
    QList<QPair<QString, QStringList>> started;
    QList<QUrl> opened;
    QStringList reports;
    bool answerYes = true;
    bool saveGranted = true;
    bool startFails = false;
    QString file = QStringLiteral("/photos/page 1 \"x\".jpg");
    bool imageMode = true;
};

// The host's answers come from the record, which also keeps what was asked.
class RecordHost : public ShellCommands::Host
{
public:
    explicit RecordHost(Record& r) : r(r) {}

    int LanguageIndex() const override { return 7; } // German
    bool StoreLanguage(const QString& code) override
    {
        r.stored << code;
        return true;
    }
    bool AskRestart() override
    {
        ++r.asked;
        return r.answerYes;
    }
    bool SaveModified() override
    {
        ++r.saveAsked;
        return r.saveGranted;
    }
    void Restart() override { ++r.restarts; }
    bool ImageMode() const override { return r.imageMode; }
    bool HasImage() const override { return true; }
    bool Editing() const override { return false; }
    QString CurrentFile() const override { return r.file; }
    QString Recorder() const override { return QStringLiteral("/usr/bin/recorder"); }
    QString PaintProgram() const override { return QStringLiteral("/usr/bin/paint"); }
    QUrl ProductPage() const override
    {
        return QUrl(QStringLiteral("https://example.org/sm.jsp?ID=8"));
    }
    bool OpenUrl(const QUrl& url) override
    {
        r.opened << url;
        return true;
    }
    ProgramStart StartDetached(const QString& program, const QStringList& args) override
    {
        r.started.append({program, args});
        ProgramStart s;
        if (r.startFails) {
            s.errorCode = 2;
            s.error = QStringLiteral("No such file or directory");
        } else {
            s.result = 0;
        }
        return s;
    }
    void ReportError(const QString& op, int code, const QString& message) override
    {
        r.reports << QStringLiteral("%1/%2/%3").arg(op).arg(code).arg(message);
    }

private:
    Record& r;
};

// The least a main window must do for the language switch.
class PlainWindows : public IAppWindows
{
public:
    QWidget window;
    QMenu recent;
    int saveAsked = 0;
    QWidget* Window() const override { return const_cast<QWidget*>(&window); }
    QMenu* RecentFileMenu() const override { return const_cast<QMenu*>(&recent); }
    int RightAreaMode() const override { return scriva::mode::kImage; }
    bool HasImage() const override { return false; }
    bool SwitchRightPane() override { return false; }
    bool DispatchCommand(int) override { return false; }
    void OpenPreviousFile() override {}
    void OpenNextFile() override {}
    void TakePhoto() override {}
    void UpdateStatus(int) override {}
    bool NewDocument() override { return true; }
    bool OpenFile(const QString&) override { return false; }
    bool SaveModified() override { return ++saveAsked > 0; }
};

QString storedLanguage()
{
    CConfigFile stored;
    return stored.Load(scriva::userConfigFile())
               ? stored.GetString(QStringLiteral("language"), QStringLiteral("NORMAL"))
               : QStringLiteral("<unreadable>");
}

// Settings and runtime folders inside `home`, English settings and an
// English pack in its data folder.
bool makeHome(const QTemporaryDir& home)
{
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("runtime")).toLocal8Bit());
    QDir().mkpath(home.filePath(QStringLiteral("runtime")));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return apptest::writeSettings(scriva::userConfigFile(),
                                  {{QStringLiteral("language"), QStringLiteral("en")}}) &&
           apptest::buildPack(home.path(), QStringLiteral("resDll/enResDll.rcc"),
                              apptest::shellStrings(QStringLiteral("EN")));
}

} // namespace

class ShellCommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void languageCodes();
    void switchingStoresAndRestartsOnlyWhenAllowed();
    void languageItemsCheckTheCurrentOne();
    void programsAndPage();
    void theProgramSavesTheLanguageAndRestartsWithR();
    void missingHelpOnlyBeeps();
};

void ShellCommandsTest::languageCodes()
{
    const QPair<int, const char*> table[] = {
        {32809, "en"},  {32808, "ch"},  {32866, "cht"},  {32880, "pg"},
        {32881, "jp"},  {32882, "fre"}, {32883, "ger"},  {32884, "ko"},
        {32885, "spa"}, {32886, "bas"}, {32887, "cata"},
    };
    for (const auto& [command, code] : table) {
        QVERIFY(ShellCommands::IsLanguageCommand(command));
        QCOMPARE(ShellCommands::CodeForCommand(command), QLatin1String(code));
    }
    QVERIFY(!ShellCommands::IsLanguageCommand(32807));
    QCOMPARE(ShellCommands::CodeForCommand(32807), QStringLiteral("ch"));
}

void ShellCommandsTest::switchingStoresAndRestartsOnlyWhenAllowed()
{
    struct Case
    {
        bool yes, saveGranted;
        int saveAsked, restarts;
    } cases[] = {{true, true, 1, 1}, {false, true, 0, 0}, {true, false, 1, 0}};
    for (const Case& c : cases) {
        Record r;
        r.answerYes = c.yes;
        r.saveGranted = c.saveGranted;
        RecordHost host(r);
        ShellCommands commands(host);
        QVERIFY(commands.OnCommand(32882)); // French
        // The choice is stored before the question, whatever the answer.
        QCOMPARE(r.stored, QStringList{QStringLiteral("fre")});
        QCOMPARE(r.asked, 1);
        QCOMPARE(r.saveAsked, c.saveAsked);
        QCOMPARE(r.restarts, c.restarts);
    }
}

void ShellCommandsTest::languageItemsCheckTheCurrentOne()
{
    Record r;
    RecordHost host(r);
    ShellCommands commands(host);
    QCOMPARE(commands.OnUpdateCommand(32883),
             CommandState::Checked(false, true)); // German, current
    QCOMPARE(commands.OnUpdateCommand(32809), CommandState::Checked(true, false));
    QVERIFY(!commands.OnUpdateCommand(57601).has_value());
}

void ShellCommandsTest::programsAndPage()
{
    Record r;
    RecordHost host(r);
    ShellCommands commands(host);
    QVERIFY(commands.OnCommand(scriva::cmd::kPaint));
    // The path reaches the paint program as one argument, quotes and all.
    QCOMPARE(r.started.last().first, QStringLiteral("/usr/bin/paint"));
    QCOMPARE(r.started.last().second, QStringList{r.file});
    QVERIFY(commands.OnCommand(scriva::cmd::kVideoRecorder));
    QCOMPARE(r.started.last().first, QStringLiteral("/usr/bin/recorder"));
    QVERIFY(commands.OnCommand(scriva::cmd::kWebPage));
    QCOMPARE(r.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/sm.jsp?ID=8"))});
    QVERIFY(r.reports.isEmpty());

    r.startFails = true;
    QVERIFY(commands.OnCommand(scriva::cmd::kPaint));
    QCOMPARE(r.reports, QStringList{QStringLiteral("CreateProcess/2/No such file or directory")});

    // Paint and the recorder need the image view.
    QVERIFY(commands.OnUpdateCommand(scriva::cmd::kPaint)->enabled);
    r.imageMode = false;
    QVERIFY(!commands.OnUpdateCommand(scriva::cmd::kPaint)->enabled);
    QVERIFY(!commands.OnUpdateCommand(scriva::cmd::kVideoRecorder)->enabled);
    QVERIFY(commands.OnUpdateCommand(scriva::cmd::kWebPage)->enabled);
}

void ShellCommandsTest::theProgramSavesTheLanguageAndRestartsWithR()
{
    apptest::EnvRestorer env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"};
    QTemporaryDir home;
    QVERIFY(makeHome(home));
    // The "new instance": records the arguments it was started with.
    const QString args = home.filePath(QStringLiteral("args"));
    const QString program = home.filePath(QStringLiteral("restarted.sh"));
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$*\" > '%1'\n").arg(args).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    for (const bool yes : {false, true}) {
        PlainWindows* windows = nullptr;
        CScrivaApp app;
        app.setDataFolder(home.path());
        app.setRestartProgram(program);
        app.setWindowFactory([&windows](CScrivaApp&) {
            auto w = std::make_unique<PlainWindows>();
            windows = w.get();
            return w;
        });
        QVERIFY(app.init({QStringLiteral("scriva")}));
        QVERIFY(!app.OnUpdateCommand(32809)->enabled); // the current language
        apptest::BoxCatcher catcher(yes ? QMessageBox::Yes : QMessageBox::No);
        QVERIFY(app.OnCommand(32883));                     // German
        QCOMPARE(storedLanguage(), QStringLiteral("ger")); // saved before the question
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].icon, QMessageBox::Question);
        QCOMPARE(app.isRestarting(), yes);
        QCOMPARE(windows->saveAsked, yes ? 1 : 0);
        if (yes)
            QTRY_COMPARE(QFile::exists(args), true);
        else
            QVERIFY(!QFile::exists(args));
        app.shutdown();
        QVERIFY(apptest::writeSettings(scriva::userConfigFile(),
                                       {{QStringLiteral("language"), QStringLiteral("en")}}));
    }
    auto recorded = [&args] {
        QFile f(args);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTRY_COMPARE(recorded(), QByteArray("-r"));
}

void ShellCommandsTest::missingHelpOnlyBeeps()
{
    // A data folder with a pack but no help pages: the command is answered, no
    // box is shown and nothing is started (the desktop only hears a beep).
    apptest::EnvRestorer env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"};
    QTemporaryDir home;
    QVERIFY(makeHome(home));
    CScrivaApp app;
    app.setDataFolder(home.path());
    app.setWindowFactory([](CScrivaApp&) { return std::make_unique<PlainWindows>(); });
    QVERIFY(app.init({QStringLiteral("scriva")}));
    apptest::BoxCatcher catcher;
    QVERIFY(app.OnUpdateCommand(scriva::cmd::kHelp)->enabled);
    QVERIFY(app.OnCommand(scriva::cmd::kHelp));
    QVERIFY(scriva::test::processUntilIdle());
    QCOMPARE(catcher.boxes.size(), 0);
    app.shutdown();
}

SCRIVA_QTEST(ShellCommandsTest)
#include "test_shell_commands.moc"
