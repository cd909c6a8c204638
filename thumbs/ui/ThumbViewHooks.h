#pragma once
// What the thumbnail column asks of the rest of the program: opening a file in
// the document, numbered message boxes, the context menu of the pack, whether
// an image operation runs, and showing an item's recognised text. The main
// frame fills it; every member may stay empty (then: nothing opens, boxes
// answer Cancel, no menu, no operation runs). User-interface thread only.

#include <QMessageBox>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

struct ThumbViewHooks
{
    // Opens a file in the document; the empty path clears it. False: not opened
    // (or, for the empty path, the user kept the current image).
    std::function<bool(const QString& path)> openPath;
    // A message box with a numbered string; returns the button pressed.
    std::function<QMessageBox::StandardButton(
        QWidget* parent, int stringId, QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
        QMessageBox::StandardButton defaultButton)>
        message;
    // The context menu (its first popup), owned by the caller; null: no menu.
    std::function<QMenu*(QWidget* owner)> contextMenu;
    std::function<bool()> imageOperationRunning;
    // After a plain click: show the recognised text stored for the path in the
    // result pane, or collapse the pane when there is none.
    std::function<void(const QString& path)> showItemText;
};
