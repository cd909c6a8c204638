#pragma once
// The commands that leave the program's own windows: switching the interface
// language (the choice is saved at once, and the program restarts when the
// user agrees), the video recorder, the product page in the browser and the
// paint program for the current image. Reaches the rest of the program only
// through its Host (by reference), so tests drive it without a main window. User-interface
// thread only.

#include "app/shell/ProcessUtils.h"
#include "image/CommandTarget.h"

#include <QString>
#include <QUrl>
#include <optional>

class ShellCommands
{
public:
    // What the commands read from and ask of the rest of the program. The
    // application is one (CScrivaApp's ShellHost); tests give their own.
    class Host
    {
    public:
        virtual ~Host() = default;
        virtual int LanguageIndex() const = 0;
        // Stores the language code and saves the settings file; false when the
        // file could not be written (the question is asked all the same).
        virtual bool StoreLanguage(const QString& code) = 0;
        virtual bool AskRestart() = 0;   // the restart question; true for Yes
        virtual bool SaveModified() = 0; // the document's ask-to-save; false cancels
        virtual void Restart() = 0;
        virtual bool ImageMode() const = 0; // the image view fills the right area
        virtual bool HasImage() const = 0;
        virtual bool Editing() const = 0; // the editing worker holds the image
        virtual QString CurrentFile() const = 0;
        virtual QString Recorder() const = 0;     // the recorder program; empty when none
        virtual QString PaintProgram() const = 0; // empty when none
        virtual QUrl ProductPage() const = 0;     // invalid when there is none
        virtual bool OpenUrl(const QUrl& url) = 0;
        virtual ProgramStart StartDetached(const QString& program,
                                           const QStringList& arguments) = 0;
        virtual void ReportError(const QString& operation, int code, const QString& message) = 0;
    };

    explicit ShellCommands(Host& host); // never owned

    // The code a language command stores: the table's code, "ch" for a
    // command outside the table.
    static QString CodeForCommand(int command);
    static bool IsLanguageCommand(int command);

    bool OnCommand(int id);
    std::optional<CommandState> OnUpdateCommand(int id) const;

private:
    void switchLanguage(int command);
    void startProgram(const QString& program, const QStringList& arguments);

    Host& m_host;
};
