#include "WaitDots.h"

#include <QLabel>

WaitDots::WaitDots(QLabel& label, int longest)
    : QObject(&label), m_label(label), m_base(label.text()), m_longest(longest)
{
    m_label.setMinimumWidth(
        m_label.fontMetrics().horizontalAdvance(QString(kLongest + 4, QLatin1Char('.'))));
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &WaitDots::tick);
}

void WaitDots::tick()
{
    const QString shown = m_label.text();
    m_label.setText(shown.size() >= m_longest ? m_base : shown + QLatin1Char('.'));
}
