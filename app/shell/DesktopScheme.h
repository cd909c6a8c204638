#pragma once
// Light or dark: how the program follows the desktop's colour scheme. Every
// control draws from the application palette, so a dark palette is all a
// dark desktop needs. In order:
//   1. SCRIVA_COLOR_SCHEME=dark or light, when set, decides;
//   2. a palette the platform theme already gave (KDE's colours, a GTK theme
//      through Qt's gtk3 theme) is dark when its window colour is darker than
//      its text, and is then kept as it is;
//   3. GTK's own settings ask for dark: GTK_THEME ending in ":dark", or else
//      in the user's gtk-4.0 / gtk-3.0 settings.ini
//      gtk-application-prefer-dark-theme = true (or 1) or a gtk-theme-name
//      ending in "-dark". (They never force light over a dark platform palette.)
// When dark is wanted and the palette is light, the program's own dark palette
// is set. User-interface thread only (Apply); the deciding functions are pure.

#include <QPalette>
#include <QProcessEnvironment>
#include <QString>

namespace scriva::desktop {

enum class Scheme { Unknown, Light, Dark };

// Steps 1 and 3 over the given environment and the user config folder
// ($XDG_CONFIG_HOME, ending without "/"): Light only from SCRIVA_COLOR_SCHEME;
// Unknown when nothing asks.
Scheme Requested(const QProcessEnvironment& env, const QString& configHome);
// Dark when the palette's window is darker than its text.
bool IsDark(const QPalette& palette);
// The program's dark palette: grey-blue panes, light text, a blue highlight.
QPalette DarkPalette();
// Applies the rules above to the running application; returns the scheme in force.
Scheme Apply();

} // namespace scriva::desktop
