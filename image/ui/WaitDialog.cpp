#include "WaitDialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

WaitDialog::WaitDialog(const PackText& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ControlText(text, TemplateId, 0));
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint & ~Qt::WindowContextHelpButtonHint);
    setModal(true);
    m_label = new QLabel(ControlText(text, TemplateId, TextId), this);
    m_label->setObjectName(QStringLiteral("id_%1").arg(TextId));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    m_dots = new WaitDots(*m_label);
    m_dots->Start();
}

QString WaitDialog::Text() const
{
    return m_label->text();
}

void WaitDialog::Finish()
{
    m_finished = true;
    m_dots->Stop();
    accept();
}

void WaitDialog::closeEvent(QCloseEvent* event)
{
    if (!m_finished)
        event->ignore();
}
