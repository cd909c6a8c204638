#pragma once
// Builds the menu bar from a menu tree of the pack: popups with items, each
// item the shared action of its command id (text with "&" mnemonic and "\t"
// shortcut), separators. Every menu refreshes the command states when it
// opens. Remembers the popup that holds the recent-file entry (57616).
// User-interface thread only.

#include <QJsonValue>

class ActionRegistry;
class QMenu;
class QMenuBar;
class QWidget;

class MainMenus
{
public:
    // False when the tree is not a list of popups.
    bool Build(QMenuBar* bar, const QJsonValue& tree, ActionRegistry& actions);
    QMenu* recentFileMenu() const { return m_recent; }
    // The first popup of a menu tree as a context menu of `parent`; null when
    // the tree has none.
    QMenu* BuildPopup(const QJsonValue& tree, ActionRegistry& actions, QWidget* parent);

private:
    void fill(QMenu* menu, const QJsonValue& items, ActionRegistry& actions);

    QMenu* m_recent = nullptr;
};
