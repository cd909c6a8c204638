#include "CRecognizeView.h"

#include "ocr/RecognizedTexts.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTextCursor>

using namespace scriva::ocr;

const char* const CRecognizeView::kRegionTextMime = "application/x-scriva-ocr-text";

namespace {
// A face with Chinese, Japanese and Korean glyphs as well as Latin ones.
const QString kFontFamily = QStringLiteral("WenQuanYi Micro Hei");
} // namespace

CRecognizeView::CRecognizeView(CScrivaDoc& doc, QWidget* parent)
    : QPlainTextEdit(parent), m_doc(doc), m_font(kFontFamily)
{
    setObjectName(QStringLiteral("CRecognizeView"));
    setMinimumHeight(0);
    m_font.setPointSizeF(kFontPoints);
    setFont(m_font);
    setAcceptDrops(true);
    m_doc.AddView(this);
}

CRecognizeView::~CRecognizeView()
{
    m_doc.RemoveView(this);
}

void CRecognizeView::SetResultText(const QString& path, const QString& text)
{
    KeepEdits();
    m_textPath = path;
    setPlainText(ToPaneText(text));
}

void CRecognizeView::KeepEdits()
{
    if (m_textPath.isEmpty() || !document()->isModified())
        return;
    const QString edited = StoredText();
    if (edited.isEmpty())
        m_doc.RecognisedTexts().erase(m_textPath);
    else
        m_doc.RecognisedTexts()[m_textPath] = edited;
    document()->setModified(false);
}

QString CRecognizeView::StoredText() const
{
    return FromPaneText(toPlainText());
}

void CRecognizeView::DropRegionText(const QString& text)
{
    const QString docPath = m_doc.PathName();
    if (m_textPath != docPath) {
        // The pane showed another image's text: start from this image's own.
        QString own;
        LookupText(m_doc.RecognisedTexts(), own, docPath);
        SetResultText(docPath, own);
    }
    QTextCursor cursor(document());
    cursor.setPosition(0);
    setTextCursor(cursor);
    ensureCursorVisible();
    insertPlainText(ToPaneText(text)); // one undo step
    if (docPath.isEmpty())
        return;
    const QString whole = StoredText();
    if (!StoreText(m_doc.RecognisedTexts(), whole, docPath) && !whole.isEmpty())
        m_doc.RecognisedTexts()[docPath] = whole;
}

void CRecognizeView::OnDocumentUpdate(int) {}

// The pane takes region text and moves of its own text; anything else (an
// image's file address, text from another program) would become the image's
// text, so it is not taken here.
bool CRecognizeView::takesDrop(const QDropEvent* event) const
{
    if (event->mimeData()->hasFormat(QLatin1String(kRegionTextMime)))
        return true;
    const QObject* source = event->source();
    return source && (source == this || source == viewport());
}

void CRecognizeView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!takesDrop(event))
        event->ignore();
    else if (event->mimeData()->hasFormat(QLatin1String(kRegionTextMime)))
        event->acceptProposedAction();
    else
        QPlainTextEdit::dragEnterEvent(event);
}

void CRecognizeView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!takesDrop(event))
        event->ignore();
    else if (event->mimeData()->hasFormat(QLatin1String(kRegionTextMime)))
        event->acceptProposedAction();
    else
        QPlainTextEdit::dragMoveEvent(event);
}

void CRecognizeView::dropEvent(QDropEvent* event)
{
    if (!takesDrop(event)) {
        event->ignore();
        return;
    }
    const QMimeData* data = event->mimeData();
    if (!data->hasFormat(QLatin1String(kRegionTextMime))) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    DropRegionText(QString::fromUtf8(data->data(QLatin1String(kRegionTextMime))));
    event->acceptProposedAction();
}
