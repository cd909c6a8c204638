#pragma once
// One pane of presenter mode: the live camera picture (or the frame frozen
// from it) or a still photo, drawn through its own PresenterTransform at fit
// or zoomed, turned by quarter turns. The wheel zooms about the cursor, a
// left drag pans; a drawing layer set with SetOverlay paints in page
// coordinates over the picture and sees the mouse first. The live pane
// repaints at most 15 times a second and only when a new frame came, and
// tells the camera the size it shows the whole picture at, so a compressed
// frame is decoded at full size from 100 % zoom up and reduced at fit.
// User-interface thread only.

#include "PictureSampler.h"
#include "PresenterTransform.h"

#include "image/cximage/CxImage.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

class CCaptureGraph;
class QMouseEvent;
class QPainter;

// A drawing layer over a presenter pane. The pane calls Paint after the
// picture with the painter already carrying PageToWidgetMatrix (draw in page
// pixels), and hands it the mouse before panning: a true return keeps the
// event from the pane. Not owned by the pane.
class IPresenterOverlay
{
public:
    virtual ~IPresenterOverlay() = default;
    virtual void Paint(QPainter& painter, const PresenterTransform& transform) = 0;
    virtual bool MousePress(QMouseEvent*, const PresenterTransform&) { return false; }
    virtual bool MouseMove(QMouseEvent*, const PresenterTransform&) { return false; }
    virtual bool MouseRelease(QMouseEvent*, const PresenterTransform&) { return false; }
};

class PresenterView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRepaintMs = 66; // 15 pictures a second at most
    static constexpr int kWheelStep = 120;

    explicit PresenterView(QWidget* parent = nullptr);
    ~PresenterView() override;

    // Shows the live picture of a running graph (which must outlive the pane
    // or be let go with SetStill / ShowNothing).
    void SetLive(CCaptureGraph* graph);
    // Shows a still picture; false (and nothing shown) when it is empty.
    bool SetStill(const QImage& picture);
    bool IsLive() const { return m_graph != nullptr; }
    bool HasPicture() const;

    // Freezes the live picture: the frame of this moment (at full size) stays
    // while the camera keeps running. False when there is no frame yet.
    bool Freeze();
    void Unfreeze();
    bool IsFrozen() const { return m_frozen.IsValid(); }
    // The full frame shown while frozen (without page frame).
    const CxImage& FrozenFrame() const { return m_frozen; }

    // The picture at full size as it is now: the frozen frame, the camera's
    // last frame or the still picture, unturned; false when there is none.
    bool CopyPicture(CxImage& picture) const;

    PresenterTransform& Transform() { return m_transform; }
    const PresenterTransform& Transform() const { return m_transform; }
    void SetTurn(int degrees);
    void ZoomIn();
    void ZoomOut();
    void ZoomTo(double zoom); // about the centre
    void Fit();

    void SetOverlay(IPresenterOverlay* overlay);
    IPresenterOverlay* Overlay() const { return m_overlay; }

    // Pictures painted so far (for pacing checks and the benchmark).
    uint64_t PaintCount() const { return m_paints; }

signals:
    // The zoom, pan or turn changed (the overlay may need to know).
    void transformChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnTick();
    void PublishShownSize();
    void Changed();

    CCaptureGraph* m_graph = nullptr;
    CxImage m_frozen;
    QImage m_still; // RGB32
    PresenterTransform m_transform;
    PictureSampler m_sampler;
    IPresenterOverlay* m_overlay = nullptr;
    QTimer m_timer;
    uint64_t m_lastFrame = 0;
    uint64_t m_paints = 0;
    int m_wheelRemainder = 0;
    bool m_panning = false;
    QPointF m_panFrom;
};
