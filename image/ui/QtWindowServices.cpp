#include "QtWindowServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

QtWindowServices& QtWindowServices::Plain()
{
    static QtWindowServices plain;
    return plain;
}

QString QtWindowServices::Text(int) const
{
    return QString();
}

IWindowServices::Button QtWindowServices::Ask(QWidget* parent, const QString& text, Buttons buttons,
                                              Icon icon, Button preset, const QString& caption)
{
    // The icons are listed in the order of Qt's.
    QMessageBox box(QMessageBox::Icon(int(icon)), caption, text,
                    QMessageBox::StandardButtons(buttons), parent);
    box.setWindowModality(Qt::ApplicationModal);
    if (preset != NoButton)
        box.setDefaultButton(QMessageBox::StandardButton(preset));
    return Button(box.exec());
}

QString QtWindowServices::ChooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, title, start);
}

void QtWindowServices::SetBusyCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtWindowServices::Post(std::function<void()> task)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}
