// Shared main of the QtTest executables: one application object (QApplication,
// or QGuiApplication for core tests built with SCRIVA_QTEST_NO_WIDGETS), every class
// registered with SCRIVA_QTEST run in order; the exit code counts failures.
// Extra arguments go to QTest (e.g. a test function name); "-only Class" picks one class.

#include "QtTestRegistry.h"

#ifdef SCRIVA_QTEST_NO_WIDGETS
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Keep the user's real settings, caches and sockets out of every test.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (home.path() + "/runtime").toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    TestApplication app(argc, argv);

    QStringList args = app.arguments();
    QString only;
    int at = args.indexOf(QStringLiteral("-only"));
    if (at > 0 && at + 1 < args.size()) {
        only = args.at(at + 1);
        args.remove(at, 2);
    }
    int failures = 0;
    for (auto& [name, factory] : scriva::test::qtTestRegistry()) {
        if (!only.isEmpty() && only != QLatin1String(name))
            continue;
        std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), args);
    }
    return failures == 0 ? 0 : 1;
}
