#pragma once
// One QAction per command id, shared by the menus and the toolbar: id in
// data(), objectName "cmd_<id>", status tip and tooltip from string <id>
// ("tip\ntooltip"). Triggering runs the command through the router. The
// enabled and checked states follow the router's update rules: when a menu
// opens, on a 200 ms idle timer and right after every command; form buttons
// bound to an id follow the same rules. User-interface thread only.

#include "image/PackText.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class CommandRouter;
class ICommandTarget;
class QAbstractButton;
class QAction;
class QMenu;
class QTimer;

class ActionRegistry : public QObject
{
    Q_OBJECT
public:
    static constexpr int IdleIntervalMs = 200;

    ActionRegistry(CommandRouter& router, PackText strings, QObject* parent = nullptr);

    // The action of a command id, created on first use.
    QAction* action(int id);
    QAction* find(int id) const { return m_actions.value(id); }
    QList<int> ids() const { return m_actions.keys(); }

    // A push button that sends `id`, routed from `origin` first (the form it sits on).
    void bindButton(QAbstractButton* button, int id, ICommandTarget* origin);
    void watchMenu(QMenu* menu);
    void startIdleUpdates();

public slots:
    void refresh();

private:
    struct BoundButton
    {
        QPointer<QAbstractButton> button;
        int id;
        ICommandTarget* origin;
    };
    void applyTexts(QAction* action, int id) const;

    CommandRouter& m_router;
    PackText m_strings;
    QHash<int, QAction*> m_actions;
    std::vector<BoundButton> m_buttons;
    QTimer* m_idle;
};
