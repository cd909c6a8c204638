#include "PresenterInk.h"

#include <QMouseEvent>
#include <QPainter>

PresenterInk::PresenterInk(QObject* parent) : QObject(parent) {}

PresenterInk::~PresenterInk()
{
    Attach(nullptr);
}

void PresenterInk::Attach(PresenterView* view)
{
    if (m_view == view)
        return;
    // A stroke is never carried from one pane to another.
    m_ink.EndStroke();
    if (m_view && m_view->Overlay() == this) {
        m_view->SetOverlay(nullptr);
        m_view->unsetCursor();
    }
    m_view = view;
    if (m_view) {
        m_view->SetOverlay(this);
        if (m_on)
            m_view->setCursor(Qt::CrossCursor);
    }
    Repaint();
}

void PresenterInk::ChooseTool(InkDrawing::Tool tool)
{
    m_ink.EndStroke();
    m_ink.SetTool(tool);
    m_on = true;
    if (m_view)
        m_view->setCursor(Qt::CrossCursor);
    emit changed();
}

void PresenterInk::StopDrawing()
{
    m_ink.EndStroke();
    m_on = false;
    if (m_view)
        m_view->unsetCursor();
    emit changed();
}

void PresenterInk::NextColour()
{
    const int next = (static_cast<int>(Colour()) + 1) % InkDrawing::kColourCount;
    m_ink.SetColour(static_cast<InkDrawing::Colour>(next));
    emit changed();
}

bool PresenterInk::Undo()
{
    if (!m_ink.Undo())
        return false;
    Repaint();
    emit changed();
    return true;
}

void PresenterInk::Clear()
{
    if (m_ink.IsEmpty())
        return;
    m_ink.Clear();
    Repaint();
    emit changed();
}

bool PresenterInk::ComposeShown(CxImage& picture) const
{
    if (!m_view || !m_view->CopyPicture(picture) || !picture.IsValid())
        return false;
    // Strokes are kept in the pixels of the frame the pane shows; the copy may
    // have been taken at another size (a still photo, a frame decoded smaller).
    const PresenterTransform& transform = m_view->Transform();
    const QSize page = transform.FrameSize().isEmpty()
                           ? QSize(int(picture.GetWidth()), int(picture.GetHeight()))
                           : transform.FrameSize();
    if (!m_ink.DrawInto(picture, QSizeF(page)))
        return false;
    switch (transform.Turn()) {
    case 90:
        return picture.RotateRight90();
    case 180:
        return picture.Rotate180();
    case 270:
        return picture.RotateLeft90();
    default:
        return true;
    }
}

void PresenterInk::Paint(QPainter& painter, const PresenterTransform&)
{
    // The pane has set the page-to-widget transform on the painter already.
    m_ink.Paint(painter, QTransform());
}

bool PresenterInk::MousePress(QMouseEvent* event, const PresenterTransform& transform)
{
    if (!m_on || event->button() != Qt::LeftButton)
        return false;
    if (!m_ink.BeginStroke(event->position(), transform.PageToWidgetMatrix()))
        return false;
    event->accept();
    return true;
}

bool PresenterInk::MouseMove(QMouseEvent* event, const PresenterTransform& transform)
{
    if (!m_ink.Drawing())
        return false;
    m_ink.ExtendStroke(event->position(), transform.PageToWidgetMatrix());
    // Moves are also watched by the window (its toolbar).
    event->ignore();
    return true;
}

bool PresenterInk::MouseRelease(QMouseEvent* event, const PresenterTransform& transform)
{
    if (!m_ink.Drawing() || event->button() != Qt::LeftButton)
        return false;
    m_ink.ExtendStroke(event->position(), transform.PageToWidgetMatrix());
    m_ink.EndStroke();
    event->accept();
    emit changed();
    return true;
}

void PresenterInk::Repaint()
{
    if (m_view)
        m_view->update();
}
