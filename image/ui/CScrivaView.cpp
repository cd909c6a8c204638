#include "CScrivaView.h"

#include <QPainter>

CScrivaView::CScrivaView(CScrivaDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("CScrivaView"));
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(10, 10);
    m_doc.AddView(this);
}

CScrivaView::~CScrivaView()
{
    m_doc.RemoveView(this);
}

void CScrivaView::OnDocumentUpdate(int)
{
    viewport()->update();
}

bool CScrivaView::OnCommand(int)
{
    return false;
}

std::optional<CommandState> CScrivaView::OnUpdateCommand(int) const
{
    return std::nullopt;
}

void CScrivaView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
}
