#include "actionstate.h"

#include <QAction>
#include <QWidget>

QAction *ActionState::add(QAction *action, Availability availability)
{
    if (availability == HeldDuringScaleCommand)
        m_held << action;
    return action;
}

QAction *ActionState::addUsableWhen(QAction *action, std::function<bool()> usable)
{
    m_usableWhen.append({ action, std::move(usable) });
    return add(action);
}

void ActionState::addWidget(QWidget *widget)
{
    m_heldWidgets << widget;
}

ActionState::Hold::Hold(const ActionState &state)
    : m_state(state)
{
    ++state.m_holds;
    for (const QPointer<QAction> &action : state.m_held) {
        if (!action || !action->isEnabled())
            continue;
        action->setEnabled(false);
        m_actions << action;
    }
    for (const QPointer<QWidget> &widget : state.m_heldWidgets) {
        if (!widget || !widget->isEnabled())
            continue;
        widget->setEnabled(false);
        m_widgets << widget;
    }
}

ActionState::Hold::~Hold()
{
    for (const QPointer<QAction> &action : std::as_const(m_actions))
        if (action)
            action->setEnabled(true);
    for (const QPointer<QWidget> &widget : std::as_const(m_widgets))
        if (widget)
            widget->setEnabled(true);
    if (--m_state.m_holds > 0)
        return;
    for (const UsableWhen &entry : m_state.m_usableWhen)
        if (entry.action)
            entry.action->setEnabled(entry.usable());
}
