#include "ProcessUtils.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstring>

namespace {

ProgramStart failure(int code)
{
    ProgramStart start;
    start.errorCode = code;
    start.error = QString::fromLocal8Bit(std::strerror(code));
    return start;
}

// What the system would say when starting the file: it is missing, a folder,
// or not allowed to run.
int startProblem(const QString& program)
{
    const QFileInfo info(program);
    if (!info.exists())
        return ENOENT;
    if (info.isDir())
        return EISDIR;
    if (!info.isExecutable())
        return EACCES;
    return 0;
}

} // namespace

ProgramStart RunProgram(const QString& program, const QStringList& arguments, bool wait, int waitMs)
{
    QString path =
        program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return failure(ENOENT);
    if (const int problem = startProblem(path))
        return failure(problem);
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    if (!wait) {
        if (!process.startDetached())
            return failure(EIO);
        ProgramStart start;
        start.result = 0;
        return start;
    }
    process.start();
    if (!process.waitForStarted(waitMs))
        return failure(EIO);
    if (!process.waitForFinished(waitMs)) {
        process.kill();
        process.waitForFinished(1000);
        return failure(ETIMEDOUT);
    }
    ProgramStart start;
    start.result = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return start;
}

bool OpenInBrowser(const QUrl& url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}

QString FindFirstProgram(const QStringList& names)
{
    for (const QString& name : names) {
        QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}
