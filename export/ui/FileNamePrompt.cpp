#include "FileNamePrompt.h"

#include "config/FileTypeTable.h"

#include <QFileDialog>
#include <QFileInfo>
#include <memory>

namespace scriva {

namespace {

constexpr int kNoTypeGiven = 0;

int effectiveType(int type)
{
    return type == kNoTypeGiven ? FileTypeTable::Bmp : type;
}

// The default suffix follows the chosen filter.
void followFilter(QFileDialog* dialog, bool open, const QString& filter)
{
    const int position = FileTypeTable::NameFilters(open).indexOf(filter) + 1;
    dialog->setDefaultSuffix(
        FileTypeTable::DefaultExtension(FileTypeTable::TypeAtPosition(open, position)));
}

} // namespace

QFileDialog* MakeFileNameDialog(QWidget* parent, const QString& name, bool open, int type,
                                const QString& title)
{
    type = effectiveType(type);
    const QString plain =
        open ? QStringLiteral("Open image file") : QStringLiteral("Save image file");
    auto* dialog = new QFileDialog(parent, title.isEmpty() ? plain : title);
    dialog->setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog->setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    const QStringList filters = FileTypeTable::NameFilters(open);
    dialog->setNameFilters(filters);
    const int position = FileTypeTable::FilterPosition(open, type);
    dialog->selectNameFilter(filters.value(position - 1));
    dialog->setDefaultSuffix(FileTypeTable::DefaultExtension(type));
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [dialog, open](const QString& filter) { followFilter(dialog, open, filter); });
    if (!name.isEmpty()) {
        const QFileInfo info(name);
        if (info.path() != QStringLiteral("."))
            dialog->setDirectory(info.absolutePath());
        dialog->selectFile(info.fileName());
    }
    return dialog;
}

int ChosenFileType(const QFileDialog& dialog, bool open)
{
    const int position = FileTypeTable::NameFilters(open).indexOf(dialog.selectedNameFilter()) + 1;
    return FileTypeTable::TypeAtPosition(open, position);
}

bool PromptFileName(QWidget* parent, QString& name, bool open, int& type, const QString& title)
{
    std::unique_ptr<QFileDialog> dialog(MakeFileNameDialog(parent, name, open, type, title));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return false;
    name = dialog->selectedFiles().constFirst();
    type = ChosenFileType(*dialog, open);
    return true;
}

} // namespace scriva
