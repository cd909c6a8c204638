#pragma once
// Routes numeric command ids the way the document/view framework does: the
// active view (or the form whose button sent it), then the document, the main
// frame and the application; the first target that handles an id wins. The
// window it serves (the main frame) names the active view and takes a step
// before every command. The
// same chain answers update questions; an id nobody answers for is disabled,
// and a disabled command is not run. User-interface thread only. Emits
// commandDispatched after every command that ran.

#include "image/CommandTarget.h"

#include <QObject>

class CommandRouter : public QObject
{
    Q_OBJECT
public:
    class Window
    {
    public:
        virtual ~Window() = default;
        virtual ICommandTarget* ActiveView() const = 0; // null: none
        // Runs before any target sees the command (the frame picks the view
        // that prints before the print commands).
        virtual void BeforeCommand(int /*id*/) {}
    };

    explicit CommandRouter(QObject* parent = nullptr);

    // None of these is owned; null takes one out of the chain.
    void setWindow(Window* window);
    void setDocument(ICommandTarget* document);
    void setFrame(ICommandTarget* frame);
    void setApplication(ICommandTarget* application);

    bool dispatch(int id) { return dispatchFrom(nullptr, id); }
    // The origin (a form that owns the pressed button) comes before the
    // active view.
    bool dispatchFrom(ICommandTarget* origin, int id);
    CommandState state(int id) const { return stateFrom(nullptr, id); }
    CommandState stateFrom(ICommandTarget* origin, int id) const;

signals:
    void commandDispatched(int id);

private:
    std::vector<ICommandTarget*> chain(ICommandTarget* origin) const;

    Window* m_window = nullptr;
    ICommandTarget* m_document = nullptr;
    ICommandTarget* m_frame = nullptr;
    ICommandTarget* m_application = nullptr;
};
