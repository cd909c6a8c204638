#include "CompanionPrograms.h"

#include "app/shell/ProcessUtils.h"
#include "config/Languages.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace companion {

QString RecorderName(int languageIndex)
{
    if (!scriva::languages::IsValidIndex(languageIndex))
        return {};
    return QLatin1String(scriva::languages::Info(languageIndex).recorder);
}

QString FindRecorder(const QString& dataFolder, int languageIndex, const QString& configured)
{
    const QString name = RecorderName(languageIndex);
    if (!name.isEmpty()) {
        QString folder = dataFolder;
        if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        const QFileInfo shipped(folder + QStringLiteral("bin/") + name);
        if (shipped.isFile() && shipped.isExecutable())
            return shipped.absoluteFilePath();
    }
    if (!configured.trimmed().isEmpty()) {
        const QString program = configured.trimmed();
        QString found = program.contains(QLatin1Char('/'))
                            ? (QFileInfo(program).isExecutable() ? program : QString())
                            : QStandardPaths::findExecutable(program);
        if (!found.isEmpty())
            return found;
    }
    return FindFirstProgram(
        {QStringLiteral("guvcview"), QStringLiteral("kamoso"), QStringLiteral("cheese")});
}

QString FindPaintProgram()
{
    return FindFirstProgram({QStringLiteral("kolourpaint"), QStringLiteral("pinta"),
                             QStringLiteral("gimp"), QStringLiteral("xdg-open")});
}

QUrl ProductPage(const QString& configuredUrl)
{
    const QUrl configured(configuredUrl.trimmed());
    if (configured.host().isEmpty())
        return {};
    QUrl page;
    page.setScheme(configured.scheme().isEmpty() ? QStringLiteral("https") : configured.scheme());
    page.setHost(configured.host());
    page.setPort(configured.port());
    page.setPath(QStringLiteral("/sm.jsp"));
    page.setQuery(QStringLiteral("ID=8"));
    return page;
}

} // namespace companion
