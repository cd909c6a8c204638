#pragma once
// Routes numeric command ids the way the document/view framework does: the
// active view (or the form whose button sent it), then the document, the main
// frame and the application; the first target that handles an id wins. The
// same chain answers update questions; an id nobody answers for is disabled,
// and a disabled command is not run. User-interface thread only. Emits
// commandDispatched after every command that ran.

#include "image/CommandTarget.h"

#include <QObject>
#include <functional>

class CommandRouter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<bool(int)>;
    using UpdateRule = std::function<std::optional<CommandState>(int)>;

    explicit CommandRouter(QObject* parent = nullptr);

    void setActiveViewProvider(std::function<ICommandTarget*()> provider);
    void setDocument(ICommandTarget* document);
    void setFrame(ICommandTarget* frame);
    void setApplicationHandler(Handler handler);
    void setApplicationUpdateRule(UpdateRule rule);
    // Runs before any target sees the command (the frame picks the view that
    // prints before the print commands).
    void setBeforeDispatch(std::function<void(int)> hook);

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

    std::function<ICommandTarget*()> m_activeView;
    ICommandTarget* m_document = nullptr;
    ICommandTarget* m_frame = nullptr;
    Handler m_appHandler;
    UpdateRule m_appRule;
    std::function<void(int)> m_before;
};
