// Pieces of the shell that stand alone: where companion programs are found,
// and starting programs (the window's skinned look is in widgets/).

#include "QtTestRegistry.h"
#include "app/shell/CompanionPrograms.h"
#include "app/shell/ProcessUtils.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class ShellPiecesTest : public QObject
{
    Q_OBJECT
private slots:
    void recorderAndProductPage();
    void programsStartOrSayWhyNot();
};

void ShellPiecesTest::recorderAndProductPage()
{
    QCOMPARE(companion::RecorderName(1), QStringLiteral("enMovrec"));
    QCOMPARE(companion::RecorderName(2), QStringLiteral("chMovrec"));
    QCOMPARE(companion::RecorderName(3), QStringLiteral("chMovrec"));
    QCOMPARE(companion::RecorderName(11), QStringLiteral("cataMovrec"));
    QVERIFY(companion::RecorderName(0).isEmpty());
    QVERIFY(companion::RecorderName(12).isEmpty());

    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkpath(QStringLiteral("bin")));
    const QString shipped = data.filePath(QStringLiteral("bin/gerMovrec"));
    QFile f(shipped);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(companion::FindRecorder(data.path(), 7, QString()), shipped);
    // Another language has no shipped recorder: the configured one is used.
    QCOMPARE(companion::FindRecorder(data.path(), 1, QStringLiteral("sh")),
             QStandardPaths::findExecutable(QStringLiteral("sh")));

    QCOMPARE(companion::ProductPage(QStringLiteral("https://example.org/any/path?x=1")).toString(),
             QStringLiteral("https://example.org/sm.jsp?ID=8"));
    QCOMPARE(companion::ProductPage(QStringLiteral("http://example.org:8080/")).toString(),
             QStringLiteral("http://example.org:8080/sm.jsp?ID=8"));
    QVERIFY(!companion::ProductPage(QStringLiteral("not an address")).isValid());
    QVERIFY(!companion::ProductPage(QString()).isValid());
}

void ShellPiecesTest::programsStartOrSayWhyNot()
{
    QTemporaryDir dir;
    const ProgramStart missing =
        RunProgram(dir.filePath(QStringLiteral("no-such-program")), {}, false);
    QVERIFY(!missing.ok());
    QCOMPARE(missing.errorCode, ENOENT);
    QVERIFY(!missing.error.isEmpty());

    const QString script = dir.filePath(QStringLiteral("not-executable"));
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexit 3\n");
    f.close();
    QCOMPARE(RunProgram(script, {}, true).errorCode, EACCES);
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    QCOMPARE(RunProgram(script, {}, true).result, 3);
    // Arguments reach the program as they are, quotes and spaces included.
    const QString out = dir.filePath(QStringLiteral("args"));
    const QString odd = QStringLiteral("a \"quoted\" name.jpg");
    QCOMPARE(RunProgram(QStringLiteral("sh"),
                        {QStringLiteral("-c"), QStringLiteral("printf %s \"$1\" > \"$2\""),
                         QStringLiteral("sh"), odd, out},
                        true)
                 .result,
             0);
    QFile written(out);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()), odd);
    // A program that does not end in time is stopped and counts as failed.
    const ProgramStart hung =
        RunProgram(QStringLiteral("sleep"), {QStringLiteral("20")}, true, 300);
    QCOMPARE(hung.result, -1);
    QCOMPARE(hung.errorCode, ETIMEDOUT);
    QVERIFY(!RunElevated(script, {}, false));
}

SCRIVA_QTEST(ShellPiecesTest)
#include "test_shell_pieces.moc"
