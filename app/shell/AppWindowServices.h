#pragma once
// The program's window services: texts of the application's language pack
// and the program's one message box (AppMessageBox: the pack's caption and
// button texts, ended with the program). The application owns one for the
// life of its windows. User-interface thread only, except Post.

#include "image/IWindowServices.h"

class LanguagePack;

class AppWindowServices : public IWindowServices
{
public:
    explicit AppWindowServices(const LanguagePack& pack) : m_pack(pack) {}

    QString Text(int id) const override;
    Button Ask(QWidget* parent, const QString& text, Buttons buttons, Icon icon, Button preset,
               const QString& caption) override;
    QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) override;
    void SetBusyCursor(bool on) override;
    void Post(std::function<void()> task) override;

private:
    const LanguagePack& m_pack;
};
