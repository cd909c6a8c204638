#include "app/commands/ActionRegistry.h"

#include "app/commands/CommandRouter.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QTimer>

ActionRegistry::ActionRegistry(CommandRouter& router, PackText strings, QObject* parent)
    : QObject(parent), m_router(router), m_strings(std::move(strings)), m_idle(new QTimer(this))
{
    m_idle->setInterval(IdleIntervalMs);
    connect(m_idle, &QTimer::timeout, this, &ActionRegistry::refresh);
    connect(&m_router, &CommandRouter::commandDispatched, this, &ActionRegistry::refresh);
}

void ActionRegistry::applyTexts(QAction* action, int id) const
{
    const QString prompt = m_strings ? m_strings(id) : QString();
    const int newline = prompt.indexOf(QLatin1Char('\n'));
    const QString tip = newline < 0 ? prompt : prompt.left(newline);
    const QString tooltip = newline < 0 ? prompt : prompt.mid(newline + 1);
    action->setStatusTip(tip);
    if (!tooltip.isEmpty())
        action->setToolTip(tooltip);
    if (action->text().isEmpty())
        action->setText(tooltip.isEmpty() ? QString::number(id) : tooltip);
}

QAction* ActionRegistry::action(int id)
{
    if (QAction* existing = m_actions.value(id))
        return existing;
    auto* act = new QAction(this);
    act->setData(id);
    act->setObjectName(QStringLiteral("cmd_%1").arg(id));
    applyTexts(act, id);
    connect(act, &QAction::triggered, this, [this, id] { m_router.dispatch(id); });
    m_actions.insert(id, act);
    const CommandState state = m_router.state(id);
    act->setEnabled(state.enabled);
    return act;
}

void ActionRegistry::bindButton(QAbstractButton* button, int id, ICommandTarget* origin)
{
    m_buttons.push_back({button, id, origin});
    connect(button, &QAbstractButton::clicked, this,
            [this, id, origin] { m_router.dispatchFrom(origin, id); });
    button->setEnabled(m_router.stateFrom(origin, id).enabled);
}

void ActionRegistry::watchMenu(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, &ActionRegistry::refresh);
}

void ActionRegistry::startIdleUpdates()
{
    m_idle->start();
}

void ActionRegistry::refresh()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const CommandState state = m_router.state(it.key());
        QAction* act = it.value();
        act->setEnabled(state.enabled);
        if (state.checkable || act->isCheckable()) {
            act->setCheckable(true);
            act->setChecked(state.checked);
        }
    }
    for (const BoundButton& bound : m_buttons) {
        if (bound.button)
            bound.button->setEnabled(m_router.stateFrom(bound.origin, bound.id).enabled);
    }
}
