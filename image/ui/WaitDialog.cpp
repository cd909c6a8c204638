#include "WaitDialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

WaitDialog::WaitDialog(const PackText& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ControlText(text, TemplateId, 0));
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint & ~Qt::WindowContextHelpButtonHint);
    setModal(true);
    m_initial = ControlText(text, TemplateId, TextId);
    m_label = new QLabel(m_initial, this);
    m_label->setObjectName(QStringLiteral("id_%1").arg(TextId));
    m_label->setMinimumWidth(
        m_label->fontMetrics().horizontalAdvance(QString(MaxTextLength + 4, u'.')));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    m_dots.setInterval(DotTimerMs);
    connect(&m_dots, &QTimer::timeout, this, &WaitDialog::addDot);
    m_dots.start();
}

QString WaitDialog::Text() const
{
    return m_label->text();
}

void WaitDialog::addDot()
{
    QString text = m_label->text() + u'.';
    if (text.size() > MaxTextLength)
        text = m_initial;
    m_label->setText(text);
}

void WaitDialog::Finish()
{
    m_finished = true;
    m_dots.stop();
    accept();
}

void WaitDialog::closeEvent(QCloseEvent* event)
{
    if (!m_finished)
        event->ignore();
}
