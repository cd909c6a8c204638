#include "app/frame/MainMenus.h"

#include "app/commands/ActionRegistry.h"
#include "config/CommandIds.h"

#include "app/frame/MainToolBar.h"
#include "app/widgets/FlatMenuStyle.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

MainMenus::MainMenus() : m_style(std::make_unique<FlatMenuStyle>()) {}

MainMenus::~MainMenus() = default;

QStyle* MainMenus::menuStyle() const
{
    return m_style.get();
}

int MainMenus::SetMenuIcons(const QJsonValue& buttons, const QPixmap& strip,
                            ActionRegistry& actions)
{
    const std::vector<QPixmap> images = MainToolBar::SliceBitmap(strip, FlatMenuStyle::IconWidth);
    int given = 0;
    size_t index = 0;
    for (const auto& entry : buttons.toArray()) {
        const int id = entry.toInt(0);
        if (id == 0)
            continue; // separators take no image
        const size_t image = index++;
        QAction* action = actions.find(id);
        if (!action || !action->icon().isNull() || image >= images.size())
            continue;
        action->setIcon(QIcon(images[image]));
        ++given;
    }
    return given;
}

bool MainMenus::Build(QMenuBar* bar, const QJsonValue& tree, ActionRegistry& actions)
{
    if (!tree.isArray())
        return false;
    for (const auto& entry : tree.toArray()) {
        const QJsonObject popup = entry.toObject();
        if (!popup.contains(QLatin1String("items")))
            continue;
        QMenu* menu = bar->addMenu(popup.value(QLatin1String("text")).toString());
        fill(menu, popup.value(QLatin1String("items")), actions);
    }
    return true;
}

QMenu* MainMenus::BuildPopup(const QJsonValue& tree, ActionRegistry& actions, QWidget* parent)
{
    const QJsonObject popup = tree.toArray().first().toObject();
    if (!popup.contains(QLatin1String("items")))
        return nullptr;
    auto* menu = new QMenu(popup.value(QLatin1String("text")).toString(), parent);
    fill(menu, popup.value(QLatin1String("items")), actions);
    return menu;
}

void MainMenus::fill(QMenu* menu, const QJsonValue& items, ActionRegistry& actions)
{
    actions.watchMenu(menu);
    menu->setStyle(m_style.get());
    for (const auto& entry : items.toArray()) {
        const QJsonObject item = entry.toObject();
        if (item.value(QLatin1String("separator")).toBool()) {
            menu->addSeparator();
        } else if (item.contains(QLatin1String("items"))) {
            QMenu* sub = menu->addMenu(item.value(QLatin1String("text")).toString());
            fill(sub, item.value(QLatin1String("items")), actions);
        } else if (item.contains(QLatin1String("id"))) {
            const int id = item.value(QLatin1String("id")).toInt();
            const QString text = item.value(QLatin1String("text")).toString();
            QAction* action = actions.action(id);
            action->setText(text.section(QLatin1Char('\t'), 0, 0));
            const QString shortcut = text.section(QLatin1Char('\t'), 1);
            if (!shortcut.isEmpty())
                action->setShortcut(QKeySequence(shortcut, QKeySequence::PortableText));
            menu->addAction(action);
            if (id == scriva::cmd::kFirstRecentFile)
                m_recent = menu;
        }
    }
}
