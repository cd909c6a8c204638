#pragma once
// The window services of a part that runs without the program's window:
// Qt's own message box (application-modal) and folder dialog, no pack texts. One object serves
// the whole process (Plain). User-interface thread only, except Post.

#include "image/IWindowServices.h"

class QtWindowServices : public IWindowServices
{
public:
    static QtWindowServices& Plain();

    QString Text(int id) const override;
    Button Ask(QWidget* parent, const QString& text, Buttons buttons, Icon icon, Button preset,
               const QString& caption) override;
    QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) override;
    void SetBusyCursor(bool on) override;
    void Post(std::function<void()> task) override;
};
