#include "app/shell/ProgramIcon.h"

#include "config/AppPaths.h"

#include <QFileInfo>

namespace scriva {

QIcon ProgramIcon()
{
    QString folder = dataFolder();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString shipped =
        folder + QStringLiteral("icons/") + QLatin1String(kAppId) + QStringLiteral(".png");
    const QIcon fallback = QFileInfo::exists(shipped) ? QIcon(shipped) : QIcon();
    return QIcon::fromTheme(QLatin1String(kAppId), fallback);
}

} // namespace scriva
