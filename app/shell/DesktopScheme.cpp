#include "app/shell/DesktopScheme.h"

#include "app/widgets/Contrast.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>

namespace scriva::desktop {

namespace {
// settings.ini of GTK: [Settings] with true/false or 1/0 values.
Scheme fromGtkSettings(const QString& file)
{
    if (!QFile::exists(file))
        return Scheme::Unknown;
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Settings"));
    const QString prefer =
        ini.value(QStringLiteral("gtk-application-prefer-dark-theme")).toString().trimmed();
    if (prefer.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
        prefer == QLatin1String("1"))
        return Scheme::Dark;
    const QString theme = ini.value(QStringLiteral("gtk-theme-name")).toString().trimmed();
    if (theme.endsWith(QLatin1String("-dark"), Qt::CaseInsensitive))
        return Scheme::Dark;
    return Scheme::Unknown;
}
} // namespace

Scheme Requested(const QProcessEnvironment& env, const QString& configHome)
{
    const QString own = env.value(QStringLiteral("SCRIVA_COLOR_SCHEME")).trimmed().toLower();
    if (own == QLatin1String("dark"))
        return Scheme::Dark;
    if (own == QLatin1String("light"))
        return Scheme::Light;
    const QString gtkTheme = env.value(QStringLiteral("GTK_THEME"));
    if (gtkTheme.endsWith(QLatin1String(":dark"), Qt::CaseInsensitive))
        return Scheme::Dark;
    if (!gtkTheme.isEmpty())
        return Scheme::Unknown;
    for (const char* version : {"gtk-4.0", "gtk-3.0"}) {
        const Scheme s = fromGtkSettings(configHome + QLatin1Char('/') + QLatin1String(version) +
                                         QStringLiteral("/settings.ini"));
        if (s != Scheme::Unknown)
            return s;
    }
    return Scheme::Unknown;
}

bool IsDark(const QPalette& palette)
{
    return contrast::RelativeLuminance(palette.color(QPalette::Window)) <
           contrast::RelativeLuminance(palette.color(QPalette::WindowText));
}

QPalette DarkPalette()
{
    const QColor window(45, 48, 54);
    const QColor base(30, 32, 36);
    const QColor text(232, 232, 232);
    const QColor disabled(140, 142, 148);
    QPalette p(window);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(40, 43, 48));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(56, 60, 66));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 120, 120));
    p.setColor(QPalette::ToolTipBase, QColor(60, 63, 70));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabled);
    p.setColor(QPalette::Highlight, QColor(42, 110, 200));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(110, 170, 255));
    p.setColor(QPalette::LinkVisited, QColor(190, 140, 255));
    p.setColor(QPalette::Light, QColor(80, 85, 92));
    p.setColor(QPalette::Midlight, QColor(66, 70, 77));
    p.setColor(QPalette::Mid, QColor(36, 38, 43));
    p.setColor(QPalette::Dark, QColor(24, 26, 29));
    p.setColor(QPalette::Shadow, QColor(10, 10, 12));
    for (QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(70, 74, 80));
    return p;
}

Scheme Apply()
{
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const Scheme requested = Requested(QProcessEnvironment::systemEnvironment(), configHome);
    const bool dark = IsDark(QApplication::palette());
    if (requested == Scheme::Dark && !dark)
        QApplication::setPalette(DarkPalette());
    if (requested == Scheme::Light && dark)
        QApplication::setPalette(QApplication::style()->standardPalette());
    return IsDark(QApplication::palette()) ? Scheme::Dark : Scheme::Light;
}

} // namespace scriva::desktop
