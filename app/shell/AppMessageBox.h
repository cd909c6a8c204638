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

// Runs a box built by MakeAppMessageBox modally and returns the button that
// closed it. While the program is ending (EndAppMessageBoxes) the box is not
// shown: the answer is its escape button at once.
QMessageBox::StandardButton RunAppMessageBox(QMessageBox& box);

// Shows the box modally and returns the button that closed it.
QMessageBox::StandardButton AppMessageBox(QWidget* parent, const QString& text,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                          QMessageBox::Icon icon = QMessageBox::NoIcon,
                                          const QString& caption = QString());

// Shortcut for a numbered string of the pack.
QMessageBox::StandardButton AppMessageBox(QWidget* parent, int stringId,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                          QMessageBox::Icon icon = QMessageBox::NoIcon);

// The boxes on screen now (a box opened from inside another counts twice).
int OpenAppMessageBoxes();

// The program is ending (a terminate request): every box on screen ends with
// its escape answer (Cancel, else No, else the only way out), and boxes asked
// for from now on give that answer without showing. False lets boxes show again.
void EndAppMessageBoxes(bool end = true);
bool AppMessageBoxesEnded();

// The answer that stands for closing the box without a choice.
QMessageBox::StandardButton EscapeAnswer(QMessageBox::StandardButtons buttons);

// "\r\n", "\n\r" and a lone "\r" become line breaks.
QString NormalizeLineBreaks(const QString& text);

// A failed system call in the program's standard form: "%s\n\rError code: 0x%x\n\r%s"
// from the operation's name, the error code and its text, with the error icon.
void ReportLastError(QWidget* parent, const QString& operation, int code, const QString& message);
