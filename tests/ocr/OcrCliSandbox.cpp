#include "OcrCliSandbox.h"
#include "OcrTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace ocrtest {

void CliSandbox::prepare(QProcess& process, long long fileSizeLimit) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
    env.insert(QStringLiteral("HOME"), path());
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    if (fileSizeLimit >= 0) {
        const rlim_t limit = rlim_t(fileSizeLimit);
        process.setChildProcessModifier([limit] {
            std::signal(SIGXFSZ, SIG_IGN); // past the limit a write fails with EFBIG
            const rlimit fileSize = {limit, limit};
            setrlimit(RLIMIT_FSIZE, &fileSize);
        });
    }
}

CliResult CliSandbox::run(const QStringList& args, long long fileSizeLimit) const
{
    QProcess process;
    prepare(process, fileSizeLimit);
    process.start(cliPath(), args);
    CliResult result;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString CliSandbox::page(const QString& name, const QString& text) const
{
    const QString file = path(name);
    CxImage image = renderText({text});
    EXPECT_TRUE(image.Save(QFile::encodeName(file).toStdString(), CXIMAGE_FORMAT_PNG));
    return file;
}

QString CliSandbox::binFolder()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2) +
           QLatin1Char('/');
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace ocrtest
