#pragma once
// Where the main window was when it last closed: its normal (not maximised)
// geometry, whether it was maximised, the screen it was on and the sizes of
// the left column and the text pane. Read from and written to the user's
// settings ([MAIN_WINDOW]), and the rule that brings a window saved off every
// attached screen (a screen unplugged since, another arrangement) back onto
// one. A plain value and pure functions; any thread.

#include "config/SettingsKeys.h"

#include <QRect>
#include <QString>
#include <functional>
#include <vector>

class CConfigFile;

struct WindowPlacement
{
    QRect geometry; // the window's own area when not maximised; empty: nothing saved
    bool maximized = true;
    QString screen;      // name of the screen it was on
    int leftColumn = -1; // width of the left column; -1: not saved
    int textRow = -1;    // height of the text pane (0 closed); -1: not saved

    bool HasGeometry() const { return geometry.isValid(); }

    // What the settings hold; missing or broken values read as not saved.
    static WindowPlacement Read(const CConfigFile& config);
    // Each key with its value, for a store or a writer of the program's settings.
    void Write(const std::function<void(scriva::settings::Key, const QString&)>& set) const;
    void Write(CConfigFile& config) const;
};

// The free area of one attached screen (without panels and docks).
struct ScreenArea
{
    QString name;
    QRect available;
};

namespace placement {

// Pixels of a window's top edge that must lie on a screen for the user to
// reach its title bar and move it.
constexpr int kReachableWidth = 100;

// True when the top edge of `window` lies on `area` over at least
// kReachableWidth pixels (the whole width for a narrower window).
bool Reachable(const QRect& window, const QRect& area);

// Where a window saved at `saved` on the screen named `screenName` opens among
// the attached `screens` (the primary screen first): where it was, when that is
// reachable on an attached screen (the named one preferred), no larger than that
// screen's free area; otherwise centred on the named screen if it is still
// attached, else on the primary one, again no larger than its free area.
QRect OnScreens(const QRect& saved, const QString& screenName,
                const std::vector<ScreenArea>& screens);

} // namespace placement
