#include "app/frame/WindowPlacement.h"

#include "config/CConfigFile.h"

#include <algorithm>

namespace settings = scriva::settings;

WindowPlacement WindowPlacement::Read(const CConfigFile& config)
{
    WindowPlacement p;
    const QList<int> box = settings::ReadInts(config, settings::kWindowGeometry);
    if (box.size() == 4 && box[2] > 0 && box[3] > 0)
        p.geometry = QRect(box[0], box[1], box[2], box[3]);
    const QString maximized = settings::ReadString(config, settings::kWindowMaximized);
    p.maximized = maximized.isEmpty() || settings::ReadInt(config, settings::kWindowMaximized) != 0;
    p.screen = settings::ReadString(config, settings::kWindowScreen);
    const QList<int> column = settings::ReadInts(config, settings::kWindowLeftColumn);
    if (column.size() == 1 && column[0] >= 0)
        p.leftColumn = column[0];
    const QList<int> text = settings::ReadInts(config, settings::kWindowTextRow);
    if (text.size() == 1 && text[0] >= 0)
        p.textRow = text[0];
    return p;
}

void WindowPlacement::Write(
    const std::function<void(scriva::settings::Key, const QString&)>& set) const
{
    if (HasGeometry()) {
        set(settings::kWindowGeometry, QStringLiteral("%1, %2, %3, %4")
                                           .arg(geometry.x())
                                           .arg(geometry.y())
                                           .arg(geometry.width())
                                           .arg(geometry.height()));
    }
    set(settings::kWindowMaximized, maximized ? QStringLiteral("1") : QStringLiteral("0"));
    // A name holding what a settings value cannot hold is not kept.
    QString name = screen;
    if (name.contains(QLatin1Char(';')) || name.contains(QLatin1Char('\r')) ||
        name.contains(QLatin1Char('\n')))
        name.clear();
    set(settings::kWindowScreen, name);
    if (leftColumn >= 0)
        set(settings::kWindowLeftColumn, QString::number(leftColumn));
    if (textRow >= 0)
        set(settings::kWindowTextRow, QString::number(textRow));
}

void WindowPlacement::Write(CConfigFile& config) const
{
    Write([&config](settings::Key key, const QString& value) {
        settings::WriteString(config, key, value);
    });
}

namespace placement {

bool Reachable(const QRect& window, const QRect& area)
{
    if (!window.isValid() || !area.isValid())
        return false;
    if (window.top() < area.top() || window.top() > area.bottom())
        return false;
    const int left = std::max(window.left(), area.left());
    const int right = std::min(window.right(), area.right());
    return right - left + 1 >= std::min(kReachableWidth, window.width());
}

namespace {
QRect fittedInto(const QRect& window, const QRect& area)
{
    return QRect(window.topLeft(), window.size().boundedTo(area.size()));
}
} // namespace

QRect OnScreens(const QRect& saved, const QString& screenName,
                const std::vector<ScreenArea>& screens)
{
    if (screens.empty() || !saved.isValid())
        return saved;
    const ScreenArea* named = nullptr;
    for (const ScreenArea& s : screens) {
        if (!screenName.isEmpty() && s.name == screenName)
            named = &s;
    }
    if (named && Reachable(saved, named->available))
        return fittedInto(saved, named->available);
    for (const ScreenArea& s : screens) {
        if (Reachable(saved, s.available))
            return fittedInto(saved, s.available);
    }
    const QRect area = (named ? named : &screens.front())->available;
    QRect placed(QPoint(0, 0), saved.size().boundedTo(area.size()));
    placed.moveCenter(area.center());
    return placed;
}

} // namespace placement
