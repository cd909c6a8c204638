#pragma once
// The drawing layer of a presenter pane: with the pen or the highlighter
// chosen, the left button draws over the picture (live or frozen) instead of
// panning; the strokes live in page coordinates, so they stay on the paper
// while the pane zooms, pans and turns. Colours cycle per tool; the last
// stroke can be undone and everything cleared. The picture as shown (frozen
// or live frame at full size, with the strokes, turned as on screen) can be
// composed for saving. User-interface thread only.

#include "PresenterView.h"

#include "capture_view/InkDrawing.h"

#include <QObject>
#include <QPointer>

class PresenterInk : public QObject, public IPresenterOverlay
{
    Q_OBJECT
public:
    explicit PresenterInk(QObject* parent = nullptr);
    ~PresenterInk() override;

    // Draws over this pane (null: none); the pane must not outlive the layer
    // without being let go.
    void Attach(PresenterView* view);
    PresenterView* View() const { return m_view; }

    // Chooses a drawing tool: the left button draws with it.
    void ChooseTool(InkDrawing::Tool tool);
    // No drawing tool: the left button pans again.
    void StopDrawing();
    bool IsDrawingOn() const { return m_on; }
    InkDrawing::Tool Tool() const { return m_ink.CurrentTool(); }
    // The current tool's next colour (after yellow comes red again).
    void NextColour();
    InkDrawing::Colour Colour() const { return m_ink.ColourOf(m_ink.CurrentTool()); }

    bool Undo();
    void Clear();
    bool IsEmpty() const { return m_ink.IsEmpty(); }
    const InkDrawing& Ink() const { return m_ink; }

    // The picture of the pane as it is now, full size, with the strokes drawn
    // in and turned as it is shown. False when the pane has no picture.
    bool ComposeShown(CxImage& picture) const;

    void Paint(QPainter& painter, const PresenterTransform& transform) override;
    bool MousePress(QMouseEvent* event, const PresenterTransform& transform) override;
    bool MouseMove(QMouseEvent* event, const PresenterTransform& transform) override;
    bool MouseRelease(QMouseEvent* event, const PresenterTransform& transform) override;

signals:
    // Strokes were added, taken back or cleared, or the tool or colour changed.
    void changed();

private:
    void Repaint();

    InkDrawing m_ink;
    QPointer<PresenterView> m_view;
    bool m_on = false;
};
