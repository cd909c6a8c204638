#pragma once
// Builds the menu bar from a menu tree of the pack: popups with items, each
// item the shared action of its command id (text with "&" mnemonic and "\t"
// shortcut), separators. Every menu refreshes the command states when it
// opens. Every popup is drawn in the program's flat menu style. Items whose
// command has no toolbar image get theirs from the menu icon strip.
// Remembers the popup that holds the recent-file entry (57616).
// User-interface thread only.

#include <QJsonValue>
#include <QPixmap>
#include <memory>

class ActionRegistry;
class QMenu;
class QMenuBar;
class QWidget;

class FlatMenuStyle;
class QStyle;

class MainMenus
{
public:
    MainMenus();
    ~MainMenus();

    // False when the tree is not a list of popups.
    bool Build(QMenuBar* bar, const QJsonValue& tree, ActionRegistry& actions);
    QMenu* recentFileMenu() const { return m_recent; }
    // The first popup of a menu tree as a context menu of `parent`; null when
    // the tree has none.
    QMenu* BuildPopup(const QJsonValue& tree, ActionRegistry& actions, QWidget* parent);
    // Gives actions without an icon the image at their place in the strip's
    // button order (16-pixel images, the toolbar mask colour transparent).
    // Returns how many actions got one.
    static int SetMenuIcons(const QJsonValue& buttons, const QPixmap& strip,
                            ActionRegistry& actions);
    // The style of the program's menus (the thumbnail menu uses it too).
    QStyle* menuStyle() const;

private:
    void fill(QMenu* menu, const QJsonValue& items, ActionRegistry& actions);

    QMenu* m_recent = nullptr;
    std::unique_ptr<FlatMenuStyle> m_style;
};
