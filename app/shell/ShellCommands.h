#pragma once
// The commands that leave the program's own windows: switching the interface
// language (the choice is saved at once, and the program restarts when the
// user agrees), the video recorder, the product page in the browser and the
// paint program for the current image. Reaches the rest of the program only
// through its Host, so tests drive it without a main window. User-interface
// thread only.

#include "app/shell/ProcessUtils.h"
#include "image/CommandTarget.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class ShellCommands
{
public:
    struct Host
    {
        std::function<int()> languageIndex;
        // Stores the language code and saves the settings file; false when the
        // file could not be written (the question is asked all the same).
        std::function<bool(const QString& code)> storeLanguage;
        std::function<bool()> askRestart;   // the restart question; true for Yes
        std::function<bool()> saveModified; // the document's ask-to-save; false cancels
        std::function<void()> restart;
        std::function<bool()> imageMode; // the image view fills the right area
        std::function<bool()> hasImage;
        std::function<bool()> editing; // the editing worker holds the image
        std::function<QString()> currentFile;
        std::function<QString()> recorder;     // the recorder program; empty when none
        std::function<QString()> paintProgram; // empty when none
        std::function<QUrl()> productPage;     // invalid when there is none
        std::function<bool(const QUrl&)> openUrl;
        std::function<ProgramStart(const QString&, const QStringList&)> startDetached;
        std::function<void(const QString& operation, int code, const QString& message)> reportError;
    };

    explicit ShellCommands(Host host);

    // The code a language command stores: the table's code, "ch" for a
    // command outside the table.
    static QString CodeForCommand(int command);
    static bool IsLanguageCommand(int command);

    bool OnCommand(int id);
    std::optional<CommandState> OnUpdateCommand(int id) const;

private:
    void switchLanguage(int command);
    void startProgram(const QString& program, const QStringList& arguments);

    Host m_host;
};
