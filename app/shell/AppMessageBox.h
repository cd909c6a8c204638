#pragma once
// The one message box of the program. Every report goes through AppMessageBox:
// an application-modal box titled with the pack's caption string (57344) whose
// button captions come from the pack; the exclamation icon is added to the
// plain OK / OK-Cancel / Yes-No / Yes-No-Cancel boxes that name no icon.
// User-interface thread only.

#include <QMessageBox>
#include <QString>
#include <memory>

class QWidget;

// Builds the box without showing it (the caller, or AppMessageBox, runs it).
// An empty caption means the pack's title; before a pack is loaded the title is
// the application name and the captions are Qt's own.
std::unique_ptr<QMessageBox> MakeAppMessageBox(QWidget* parent, const QString& text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::Icon icon,
                                               const QString& caption = QString());

// Shows the box modally and returns the button that closed it.
QMessageBox::StandardButton AppMessageBox(QWidget* parent, const QString& text,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                          QMessageBox::Icon icon = QMessageBox::NoIcon,
                                          const QString& caption = QString());

// Shortcut for a numbered string of the pack.
QMessageBox::StandardButton AppMessageBox(QWidget* parent, int stringId,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                          QMessageBox::Icon icon = QMessageBox::NoIcon);

// "\r\n", "\n\r" and a lone "\r" become line breaks.
QString NormalizeLineBreaks(const QString& text);

// A failed system call in the program's standard form: "%s\n\rError code: 0x%x\n\r%s"
// from the operation's name, the error code and its text, with the error icon.
void ReportLastError(QWidget* parent, const QString& operation, int code, const QString& message);
