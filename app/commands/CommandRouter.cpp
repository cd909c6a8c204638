#include "app/commands/CommandRouter.h"

CommandRouter::CommandRouter(QObject* parent) : QObject(parent) {}

void CommandRouter::setWindow(Window* window)
{
    m_window = window;
}

void CommandRouter::setDocument(ICommandTarget* document)
{
    m_document = document;
}

void CommandRouter::setFrame(ICommandTarget* frame)
{
    m_frame = frame;
}

void CommandRouter::setApplication(ICommandTarget* application)
{
    m_application = application;
}

std::vector<ICommandTarget*> CommandRouter::chain(ICommandTarget* origin) const
{
    std::vector<ICommandTarget*> targets;
    if (origin)
        targets.push_back(origin);
    ICommandTarget* view = m_window ? m_window->ActiveView() : nullptr;
    if (view && view != origin)
        targets.push_back(view);
    if (m_document)
        targets.push_back(m_document);
    if (m_frame)
        targets.push_back(m_frame);
    return targets;
}

CommandState CommandRouter::stateFrom(ICommandTarget* origin, int id) const
{
    for (ICommandTarget* target : chain(origin)) {
        if (std::optional<CommandState> state = target->OnUpdateCommand(id))
            return *state;
    }
    if (m_application) {
        if (std::optional<CommandState> state = m_application->OnUpdateCommand(id))
            return *state;
    }
    return CommandState::Enabled(false);
}

bool CommandRouter::dispatchFrom(ICommandTarget* origin, int id)
{
    if (m_window)
        m_window->BeforeCommand(id);
    // The state may have changed since the item was last updated.
    if (!stateFrom(origin, id).enabled)
        return false;
    bool handled = false;
    for (ICommandTarget* target : chain(origin)) {
        if (target->OnCommand(id)) {
            handled = true;
            break;
        }
    }
    if (!handled && m_application)
        handled = m_application->OnCommand(id);
    emit commandDispatched(id);
    return handled;
}
