#include "app/frame/FramePanes.h"

#include "app/frame/CLeftFormView.h"
#include "app/widgets/CSplitterWndEx.h"
#include "capture_view/ui/CVideoView.h"
#include "image/CScrivaDoc.h"
#include "image/ui/CScrivaView.h"
#include "ocr/ui/CRecognizeView.h"
#include "thumbs/ui/CThumbView.h"

#include <QSplitterHandle>
#include <algorithm>

FramePanes::FramePanes(CScrivaDoc& doc, FrameServices& services, QWidget* parent)
    : m_doc(doc), m_services(services), m_owner(parent),
      m_main(new CSplitterWndEx(Qt::Horizontal, parent)),
      m_left(new QSplitter(Qt::Vertical, m_main)), m_right(new CSplitterWndEx(Qt::Vertical, m_main))
{
    m_main->setObjectName(QStringLiteral("mainSplitter"));
    m_left->setObjectName(QStringLiteral("leftSplitter"));
    m_right->setObjectName(QStringLiteral("rightSplitter"));
    m_main->addWidget(m_left);
    m_main->addWidget(m_right);
    m_main->setStretchFactor(0, 0);
    m_main->setStretchFactor(1, 1);

    m_right->addWidget(new CScrivaView(doc));
    m_text = new CRecognizeView(doc);
    m_right->addWidget(m_text);
    m_right->setStretchFactor(0, 1);
    m_right->setStretchFactor(1, 0);

    m_thumbs = new CThumbView(doc);
    m_form = new CLeftFormView(services);
    m_left->addWidget(m_thumbs);
    m_left->addWidget(m_form);
    m_left->setChildrenCollapsible(false);
    m_left->setStretchFactor(0, 1);
    m_left->setStretchFactor(1, 0);
    // The bar between thumbnails and buttons cannot be dragged.
    m_left->handle(1)->setEnabled(false);
    m_left->handle(1)->setCursor(Qt::ArrowCursor);

    m_left->setMinimumWidth(PaneLayout::MinPane);
    m_active = m_text;
    nameViews();
}

void FramePanes::nameViews()
{
    m_thumbs->setAccessibleName(m_services.text(scriva::str::kNameThumbnails));
    m_text->setAccessibleName(m_services.text(scriva::str::kNameTextPane));
    m_form->setAccessibleName(m_services.text(scriva::str::kNameCommandButtons));
    if (QWidget* view = rightView())
        view->setAccessibleName(m_services.text(videoView() ? scriva::str::kNameCameraView
                                                            : scriva::str::kNameImageView));
}

QWidget* FramePanes::root() const
{
    return m_main;
}

QWidget* FramePanes::rightView() const
{
    return m_right->widget(0);
}

CScrivaView* FramePanes::imageView() const
{
    return qobject_cast<CScrivaView*>(rightView());
}

CVideoView* FramePanes::videoView() const
{
    return qobject_cast<CVideoView*>(rightView());
}

namespace {
// Room the panes of a splitter share (its size less the bars), or the
// fallback while the splitter has not been laid out.
int paneSpace(const QSplitter* splitter, int fallback)
{
    int sum = 0;
    for (int size : splitter->sizes())
        sum += size;
    return sum > 0 ? sum : fallback;
}
} // namespace

void FramePanes::ApplyInitialSizes(int width, int height)
{
    const PaneLayout::Rows right =
        PaneLayout::ResultRows(height, paneSpace(m_right, height), false);
    m_right->setSizes({right.top, right.bottom});
    ApplyColumnSizes(width, height);
}

void FramePanes::applyLeftRows(int height)
{
    const PaneLayout::Rows left =
        PaneLayout::LeftRows(paneSpace(m_left, height), m_form->minimumSizeHint().height());
    m_left->setSizes({left.top, left.bottom});
}

void FramePanes::ApplyColumnSizes(int width, int height)
{
    const int column = PaneLayout::LeftColumnWidth(PaneLayout::InitialThumbHeight(width));
    applyLeftRows(height);
    if (m_column.AcceptWidth(column))
        m_main->setSizes(
            {column, std::max(PaneLayout::MinPane, paneSpace(m_main, width) - column)});
}

void FramePanes::KeepSavedSizes(int columnWidth, int textHeight)
{
    m_savedColumn = columnWidth;
    m_savedTextRow = textHeight;
    m_keepSaved = true;
    m_main->installEventFilter(this);
    m_right->installEventFilter(this);
    applySavedColumn();
    applySavedTextRow();
}

bool FramePanes::eventFilter(QObject* watched, QEvent* event)
{
    // A splitter's own new size is known here, before it lays out its panes
    // (the window's earlier sizes may still be those of before the first layout).
    if (event->type() == QEvent::Resize && m_keepSaved) {
        if (watched == m_main)
            applySavedColumn();
        else if (watched == m_right)
            applySavedTextRow();
    }
    return QObject::eventFilter(watched, event);
}

namespace {
// Room the panes of a two-pane splitter share at its present size.
int room(const QSplitter* splitter)
{
    const QRect r = splitter->contentsRect();
    const int length = splitter->orientation() == Qt::Horizontal ? r.width() : r.height();
    return std::max(0, length - splitter->handleWidth());
}
} // namespace

void FramePanes::applySavedColumn()
{
    const PaneLayout::Rows left =
        PaneLayout::LeftRows(std::max(0, m_main->contentsRect().height() - m_left->handleWidth()),
                             m_form->minimumSizeHint().height());
    m_left->setSizes({left.top, left.bottom});
    if (m_savedColumn < 0)
        return;
    const int total = room(m_main);
    const int column = std::clamp(m_savedColumn, PaneLayout::MinPane,
                                  std::max(PaneLayout::MinPane, total - PaneLayout::MinPane));
    if (m_column.AcceptWidth(column))
        m_main->setSizes({column, std::max(0, total - column)});
}

void FramePanes::applySavedTextRow()
{
    if (m_savedTextRow < 0)
        return;
    const int total = room(m_right);
    const int text = std::clamp(m_savedTextRow, 0, std::max(0, total - PaneLayout::MinPane));
    m_right->setSizes({total - text, text});
}

int FramePanes::OpenColumnWidth() const
{
    return m_column.Collapsed() ? m_column.Saved().width : LeftColumnWidth();
}

int FramePanes::TextRowHeight() const
{
    return m_right->sizes().value(1);
}

void FramePanes::ShowResultPane(bool show, int frameClientHeight)
{
    const PaneLayout::Rows rows =
        PaneLayout::ResultRows(frameClientHeight, paneSpace(m_right, frameClientHeight), show);
    m_right->setSizes({rows.top, rows.bottom});
}

int FramePanes::UpdateLeftColumnWidth(bool apply, int clientWidth)
{
    const int thumbHeight =
        apply ? m_thumbs->height() : PaneLayout::InitialThumbHeight(clientWidth);
    const int column = PaneLayout::LeftColumnWidth(thumbHeight);
    if (apply && m_column.AcceptWidth(column)) {
        m_main->setSizes(
            {column, std::max(PaneLayout::MinPane, paneSpace(m_main, clientWidth) - column)});
    }
    return column;
}

int FramePanes::LeftColumnWidth() const
{
    return m_main->sizes().value(0);
}

void FramePanes::setColumn(const ColumnSize& size)
{
    m_left->setMinimumWidth(size.minimum);
    const int total = paneSpace(m_main, m_main->width());
    m_main->setSizes({size.width, std::max(0, total - size.width)});
}

void FramePanes::ToggleLeftColumn()
{
    setColumn(m_column.Toggle({LeftColumnWidth(), m_left->minimumWidth()}));
}

void FramePanes::ReplaceRightView(QWidget* view)
{
    QWidget* old = rightView();
    const bool wasActive = !m_active || m_active == old;
    if (auto* oldView = dynamic_cast<IDocumentView*>(old))
        m_doc.RemoveView(oldView);
    m_right->replaceWidget(0, view);
    if (old) {
        // Kept under the frame until it goes, so it never outlives the document.
        old->hide();
        old->setParent(m_owner);
        old->deleteLater();
    }
    if (wasActive)
        m_active = view;
    nameViews();
}
