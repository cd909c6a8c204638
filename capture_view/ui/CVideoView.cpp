#include "CVideoView.h"

#include <QPainter>

CVideoView::CVideoView(CScrivaDoc& doc, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_doc(doc)
{
    setObjectName(QStringLiteral("CVideoView"));
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(10, 10);
    m_doc.AddView(this);
}

CVideoView::~CVideoView()
{
    m_doc.RemoveView(this);
}

bool CVideoView::StartCapture()
{
    // No camera source is wired into this view yet, so there is nothing to start.
    m_capturing = false;
    return false;
}

void CVideoView::OnDocumentUpdate(int)
{
    viewport()->update();
}

bool CVideoView::OnCommand(int)
{
    return false;
}

std::optional<CommandState> CVideoView::OnUpdateCommand(int) const
{
    return std::nullopt;
}

void CVideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::black);
}
