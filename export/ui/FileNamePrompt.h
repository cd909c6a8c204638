#pragma once
// The program's file-name prompt for opening and saving images: a file dialog
// titled "Open image file" or "Save image file" (unless the caller gives its
// own title) whose filters are the rows of
// the file-type table usable in that direction. The given type picks the first
// filter and the default extension; on OK the chosen filter's type comes back.
// User-interface thread only.

#include <QString>

class QFileDialog;
class QWidget;

namespace scriva {

// Builds the dialog without running it (tests drive it).
QFileDialog* MakeFileNameDialog(QWidget* parent, const QString& name, bool open, int type,
                                const QString& title = QString());
// The type of the dialog's selected filter.
int ChosenFileType(const QFileDialog& dialog, bool open);
// Runs the prompt; true on OK with `name` and `type` updated. A type of 0
// (none given) starts on BMP.
bool PromptFileName(QWidget* parent, QString& name, bool open, int& type,
                    const QString& title = QString());

} // namespace scriva
