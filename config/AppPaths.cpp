#include "AppPaths.h"

#include "CConfigFile.h"
#include "base/CxSafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace scriva {

namespace {

const QString kAppFolderName = QStringLiteral("scriva");

QString withSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString resolveUnder(const QString& base, const QString& value)
{
    QString path = value;
    path.replace(u'\\', u'/');
    if (QDir::isAbsolutePath(path))
        return path;
    return base + path;
}

// mkdir -p that keeps the system's reason when a level cannot be made.
bool makeFolder(const QString& folder, QString* why)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path.at(end) != '/')
            continue;
        const QByteArray level = path.left(end);
        if (mkdir(level.constData(), 0777) == 0 || errno == EEXIST) {
            struct stat st;
            if (stat(level.constData(), &st) == 0 && S_ISDIR(st.st_mode))
                continue;
            *why = QString::fromLocal8Bit(std::strerror(ENOTDIR));
            return false;
        }
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

QString exeFolder()
{
    if (QCoreApplication::instance())
        return withSlash(QCoreApplication::applicationDirPath());
    // Without an application object (tests, tools) ask the kernel.
    return withSlash(
        QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2));
}

QString dataFolder()
{
    QString exe = exeFolder();
    const QString installed = QDir::cleanPath(exe + QStringLiteral("../share/scriva"));
    if (QFileInfo(installed).isDir())
        return withSlash(installed);
    return exe;
}

QString userConfigFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return withSlash(base) + kAppFolderName + u'/';
}

QString userConfigFile()
{
    return userConfigFolder() + QStringLiteral("config.cfg");
}

QString shippedConfigFile()
{
    return dataFolder() + QStringLiteral("config/config.cfg");
}

QString cacheFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QString folder = withSlash(base) + kAppFolderName + u'/';
    if (!QFileInfo(folder).isDir() && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    return folder;
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty())
        return withSlash(documents);
    return withSlash(QDir::homePath());
}

QString runtimeFolder()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
}

QString resolveDataPath(const QString& value)
{
    return resolveUnder(dataFolder(), value);
}

QString resolveDocumentsPath(const QString& value)
{
    return resolveUnder(documentsFolder(), value);
}

QString resolveCachePath(const QString& value)
{
    return resolveUnder(cacheFolder(), value);
}

bool ensureUserConfig(QString* message)
{
    const QString target = userConfigFile();
    if (QFileInfo(target).isFile())
        return true;
    auto fail = [message](const QString& text) {
        if (message)
            *message = text;
        return false;
    };
    QString why;
    if (!makeFolder(userConfigFolder(), &why))
        return fail(QStringLiteral("cannot create the folder %1: %2").arg(userConfigFolder(), why));
    QFile shipped(shippedConfigFile());
    if (!shipped.open(QIODevice::ReadOnly))
        return fail(
            QStringLiteral("cannot read %1: %2").arg(shipped.fileName(), shipped.errorString()));
    const QByteArray bytes = shipped.readAll();
    if (shipped.error() != QFileDevice::NoError)
        return fail(
            QStringLiteral("cannot read %1: %2").arg(shipped.fileName(), shipped.errorString()));
    // Written afresh (not copied) so the user's file is writable even when the
    // shipped one is installed read-only.
    CxSafeFile copy;
    if (!copy.Open(QFile::encodeName(target).toStdString()) ||
        !copy.Write(bytes.constData(), size_t(bytes.size())) || !copy.Commit())
        return fail(QStringLiteral("cannot write %1: %2")
                        .arg(target, QString::fromLocal8Bit(copy.Error().c_str())));
    return true;
}

bool loadSettings(CConfigFile& config, QString* failedPath, QString* reason)
{
    QString seedProblem;
    const bool seeded = ensureUserConfig(&seedProblem);
    QString loadProblem;
    if (!config.Load(userConfigFile(), &loadProblem)) {
        if (failedPath)
            *failedPath = userConfigFile();
        if (reason)
            *reason = seeded ? loadProblem : seedProblem;
        return false;
    }
    config.Load(shippedConfigFile());
    return true;
}

} // namespace scriva
