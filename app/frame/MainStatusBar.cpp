#include "app/frame/MainStatusBar.h"
#include "config/CommandIds.h"

#include <QLabel>

MainStatusBar::MainStatusBar(const PackText& strings, QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusbar_%1").arg(scriva::status::kStatusBar));
    for (size_t i = 0; i < scriva::status::kIndicators.size(); ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("id_%1").arg(scriva::status::kIndicators[i]));
        label->setAlignment(Qt::AlignCenter);
        m_panes[i] = label;
        addPermanentWidget(label);
        setPane(int(i), strings ? strings(scriva::status::kIndicators[i]) : QString());
    }
}

QLabel* MainStatusBar::pane(int index) const
{
    return index >= 0 && index < int(m_panes.size()) ? m_panes[index] : nullptr;
}

void MainStatusBar::setPane(int index, const QString& text)
{
    QLabel* label = m_panes[index];
    label->setText(text);
    // Each pane is as wide as its text, plus room for the frame.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 8);
}

void MainStatusBar::SetPaneTexts(int what, const QStringList& texts)
{
    if (what == scriva::status::kZoomPane) {
        if (texts.size() > ZoomPane)
            setPane(ZoomPane, texts.at(ZoomPane));
        return;
    }
    for (int i = 0; i < int(m_panes.size()) && i < texts.size(); ++i)
        setPane(i, texts.at(i));
}
