#include "app/commands/CommandRouter.h"

CommandRouter::CommandRouter(QObject* parent) : QObject(parent) {}

void CommandRouter::setActiveViewProvider(std::function<ICommandTarget*()> provider)
{
    m_activeView = std::move(provider);
}

void CommandRouter::setDocument(ICommandTarget* document)
{
    m_document = document;
}

void CommandRouter::setFrame(ICommandTarget* frame)
{
    m_frame = frame;
}

void CommandRouter::setApplicationHandler(Handler handler)
{
    m_appHandler = std::move(handler);
}

void CommandRouter::setApplicationUpdateRule(UpdateRule rule)
{
    m_appRule = std::move(rule);
}

void CommandRouter::setBeforeDispatch(std::function<void(int)> hook)
{
    m_before = std::move(hook);
}

std::vector<ICommandTarget*> CommandRouter::chain(ICommandTarget* origin) const
{
    std::vector<ICommandTarget*> targets;
    if (origin)
        targets.push_back(origin);
    ICommandTarget* view = m_activeView ? m_activeView() : nullptr;
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
    if (m_appRule) {
        if (std::optional<CommandState> state = m_appRule(id))
            return *state;
    }
    return CommandState::Enabled(false);
}

bool CommandRouter::dispatchFrom(ICommandTarget* origin, int id)
{
    if (m_before)
        m_before(id);
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
    if (!handled && m_appHandler)
        handled = m_appHandler(id);
    emit commandDispatched(id);
    return handled;
}
