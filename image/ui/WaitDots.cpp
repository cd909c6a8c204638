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

QString WaitDots::Next(const QString& shown, const QString& base, int longest)
{
    return shown.size() >= longest ? base : shown + QLatin1Char('.');
}

void WaitDots::tick()
{
    m_label.setText(Next(m_label.text(), m_base, m_longest));
}
