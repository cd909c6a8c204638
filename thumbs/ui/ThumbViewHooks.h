#pragma once
// What the thumbnail column asks of the rest of the program: opening a file in
// the document, the context menu of the pack, whether an image operation runs,
// and showing an item's recognised text. Its boxes come from the window's
// services (CThumbView::SetWindow). The main frame is one (CMainFrame);
// tests give their own. A column without hooks opens
// nothing, shows no menu and sees no operation running; without window
// services its boxes answer Cancel. User-interface thread only.

#include <QString>

class QMenu;
class QWidget;

class ThumbViewHooks
{
public:
    virtual ~ThumbViewHooks() = default;

    // Opens a file in the document; the empty path clears it. False: not opened
    // (or, for the empty path, the user kept the current image).
    virtual bool OpenPath(const QString& path) = 0;
    // The context menu (its first popup), owned by the hooks; null: no menu.
    virtual QMenu* ContextMenu(QWidget* owner) = 0;
    virtual bool ImageOperationRunning() const = 0;
    // After a plain click: show the recognised text stored for the path in the
    // result pane, or collapse the pane when there is none.
    virtual void ShowItemText(const QString& path) = 0;
};
