#pragma once
// The shell commands' view of the application (ShellCommands::Host): the
// language setting, the restart, the main window's state, the companion
// programs and the browser. It reaches back into the application, whose
// shell commands own it; the rules only read through it. User-interface
// thread only.

#include "app/shell/ShellCommands.h"

class CScrivaApp;

class ShellHost : public ShellCommands::Host
{
public:
    explicit ShellHost(CScrivaApp& app) : m_app(app) {}

    int LanguageIndex() const override;
    bool StoreLanguage(const QString& code) override;
    bool AskRestart() override;
    bool SaveModified() override;
    void Restart() override;
    bool ImageMode() const override;
    bool HasImage() const override;
    bool Editing() const override;
    QString CurrentFile() const override;
    QString Recorder() const override;
    QString PaintProgram() const override;
    QUrl ProductPage() const override;
    bool OpenUrl(const QUrl& url) override;
    ProgramStart StartDetached(const QString& program, const QStringList& arguments) override;
    void ReportError(const QString& operation, int code, const QString& message) override;

private:
    CScrivaApp& m_app;
};
