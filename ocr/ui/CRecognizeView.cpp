#include "CRecognizeView.h"

CRecognizeView::CRecognizeView(CScrivaDoc& doc, QWidget* parent)
    : QPlainTextEdit(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("CRecognizeView"));
    setMinimumHeight(0);
    m_doc.AddView(this);
}

CRecognizeView::~CRecognizeView()
{
    m_doc.RemoveView(this);
}

void CRecognizeView::SetResultText(const QString& path, const QString& text)
{
    m_textPath = path;
    setPlainText(text);
}

void CRecognizeView::OnDocumentUpdate(int) {}
