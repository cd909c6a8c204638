#include "app/frame/MainMenus.h"

#include "app/commands/ActionRegistry.h"
#include "config/CommandIds.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

bool MainMenus::Build(QMenuBar* bar, const QJsonValue& tree, ActionRegistry& actions)
{
    if (!tree.isArray())
        return false;
    for (const QJsonValue& entry : tree.toArray()) {
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
    for (const QJsonValue& entry : items.toArray()) {
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
