#pragma once
// What the program's window offers every part that shows something to the
// user: pack texts by id, message boxes and questions, the folder chooser, the
// busy cursor and running a task on the user-interface thread. The program
// has one (AppWindowServices, over the language pack and the program's own
// message box); parts built without it use QtWindowServices (Qt's plain
// boxes, no texts); tests give their own. Passed by reference and never owned
// by its users. User-interface thread only, except Post.

#include <QString>
#include <functional>

class QWidget;

class IWindowServices
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    // The buttons of a box; the values are those of Qt's message box buttons.
    enum Button : int {
        NoButton = 0,
        Ok = 0x00000400,
        Yes = 0x00004000,
        No = 0x00010000,
        Cancel = 0x00400000,
    };
    using Buttons = int; // Button values or-ed together

    virtual ~IWindowServices() = default;

    virtual QString Text(int id) const = 0; // the pack's string; empty when there is none
    // A modal box with the text over `parent` (caption empty: the program's);
    // returns the button that closed it (`preset` is the default one).
    virtual Button Ask(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                       Button preset = NoButton, const QString& caption = QString()) = 0;
    // The folder chooser starting at `start`; empty when cancelled.
    virtual QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
    virtual void SetBusyCursor(bool on) = 0;
    // Runs the task from the user-interface thread's event loop; any thread may post.
    virtual void Post(std::function<void()> task) = 0;

    // A box with OK only.
    void Tell(QWidget* parent, const QString& text, Icon icon = Icon::None,
              const QString& caption = QString())
    {
        Ask(parent, text, Ok, icon, NoButton, caption);
    }
    void Tell(QWidget* parent, int id, Icon icon = Icon::None) { Tell(parent, Text(id), icon); }
    // A question with Yes and No; true on Yes.
    bool AskYesNo(QWidget* parent, const QString& text)
    {
        return Ask(parent, text, Yes | No, Icon::Question) == Yes;
    }
};
