#include "app/shell/AppWindowServices.h"

#include "app/shell/AppMessageBox.h"
#include "app/shell/LanguagePack.h"

#include <QApplication>
#include <QFileDialog>

QString AppWindowServices::Text(int id) const
{
    return m_pack.String(id);
}

IWindowServices::Button AppWindowServices::Ask(QWidget* parent, const QString& text,
                                               Buttons buttons, Icon icon, Button preset,
                                               const QString& caption)
{
    // The icons are listed in the order of Qt's.
    std::unique_ptr<QMessageBox> box = MakeAppMessageBox(
        parent, text, QMessageBox::StandardButtons(buttons), QMessageBox::Icon(int(icon)), caption);
    if (preset != NoButton)
        box->setDefaultButton(QMessageBox::StandardButton(preset));
    return Button(RunAppMessageBox(*box));
}

QString AppWindowServices::ChooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, title, start);
}

void AppWindowServices::SetBusyCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void AppWindowServices::Post(std::function<void()> task)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}
