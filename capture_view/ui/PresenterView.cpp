#include "PresenterView.h"

#include "capture/CCaptureGraph.h"
#include "image/CxImageDraw.h"

#include <QGestureEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPinchGesture>
#include <QWheelEvent>

PresenterView::PresenterView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PresenterView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setMinimumSize(16, 16);
    setAttribute(Qt::WA_AcceptTouchEvents);
    grabGesture(Qt::PinchGesture);
    m_timer.setInterval(kRepaintMs);
    connect(&m_timer, &QTimer::timeout, this, &PresenterView::OnTick);
}

PresenterView::~PresenterView()
{
    m_timer.stop();
}

void PresenterView::SetLive(CCaptureGraph* graph)
{
    m_graph = graph;
    m_still = QImage();
    m_frozen = CxImage();
    m_lastFrame = 0;
    if (m_graph) {
        int w = 0;
        int h = 0;
        if (m_graph->Callback().FrameSize(w, h))
            m_transform.SetFrameSize(QSize(w, h));
        m_timer.start();
        PublishShownSize();
    } else {
        m_timer.stop();
    }
    update();
}

bool PresenterView::SetStill(const QImage& picture)
{
    m_graph = nullptr;
    m_timer.stop();
    m_frozen = CxImage();
    m_still = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    if (!m_still.isNull())
        m_transform.SetFrameSize(m_still.size());
    update();
    return !m_still.isNull();
}

bool PresenterView::HasPicture() const
{
    if (!m_still.isNull() || m_frozen.IsValid())
        return true;
    int w = 0;
    int h = 0;
    return m_graph && m_graph->Callback().FrameSize(w, h);
}

bool PresenterView::Freeze()
{
    if (!m_graph)
        return false;
    CxImage frame;
    // The held frame at full size, also when the camera sends compressed
    // frames that the live picture decodes reduced.
    if (!m_graph->CopyHeldFrame(frame) || !frame.IsValid() || frame.GetBpp() != 24)
        return false;
    m_frozen.Transfer(frame);
    m_transform.SetFrameSize(QSize(int(m_frozen.GetWidth()), int(m_frozen.GetHeight())));
    update();
    return true;
}

void PresenterView::Unfreeze()
{
    if (!m_frozen.IsValid())
        return;
    m_frozen = CxImage();
    m_lastFrame = 0; // paint the next frame at once
    update();
}

bool PresenterView::CopyPicture(CxImage& picture) const
{
    if (m_frozen.IsValid()) {
        picture = m_frozen;
        return picture.IsValid();
    }
    if (!m_still.isNull())
        return scriva::CxImageFromQImage(m_still, picture);
    return m_graph && m_graph->CopyHeldFrame(picture);
}

void PresenterView::SetTurn(int degrees)
{
    m_transform.SetTurn(degrees);
    Changed();
}

void PresenterView::ZoomIn()
{
    m_transform.ZoomIn(m_transform.WidgetCentre());
    Changed();
}

void PresenterView::ZoomOut()
{
    m_transform.ZoomOut(m_transform.WidgetCentre());
    Changed();
}

void PresenterView::ZoomTo(double zoom)
{
    m_transform.SetZoom(zoom);
    Changed();
}

void PresenterView::Fit()
{
    m_transform.Fit();
    Changed();
}

void PresenterView::SetOverlay(IPresenterOverlay* overlay)
{
    m_overlay = overlay;
    update();
}

void PresenterView::Changed()
{
    PublishShownSize();
    update();
    emit transformChanged();
}

void PresenterView::PublishShownSize()
{
    if (!m_graph)
        return;
    // The whole frame's size on the screen, unturned: from 100 % up a
    // compressed frame is decoded at full size.
    const QSize frame = m_transform.FrameSize();
    const double z = m_transform.Zoom();
    m_graph->Callback().PublishShownSize(int(frame.width() * z + 0.5),
                                         int(frame.height() * z + 0.5));
}

void PresenterView::OnTick()
{
    if (!m_graph)
        return;
    int w = 0;
    int h = 0;
    if (!m_frozen.IsValid() && m_graph->Callback().FrameSize(w, h) &&
        QSize(w, h) != m_transform.FrameSize()) {
        m_transform.SetFrameSize(QSize(w, h));
        emit transformChanged();
    }
    PublishShownSize();
    const uint64_t frames = m_graph->Callback().FrameCount();
    if (m_frozen.IsValid() || frames == m_lastFrame)
        return; // nothing new to show
    m_lastFrame = frames;
    update();
}

void PresenterView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_transform.SetWidgetSize(size());
    ++m_paints;
    if (m_frozen.IsValid()) {
        painter.drawImage(0, 0,
                          m_sampler.Sample(m_frozen.GetBits(0), int(m_frozen.GetEffWidth()),
                                           PictureSampler::Rows::BottomUp24,
                                           int(m_frozen.GetWidth()), int(m_frozen.GetHeight()),
                                           m_transform));
    } else if (!m_still.isNull()) {
        painter.drawImage(0, 0,
                          m_sampler.Sample(m_still.constBits(), int(m_still.bytesPerLine()),
                                           PictureSampler::Rows::TopDown32, m_still.width(),
                                           m_still.height(), m_transform));
    } else if (m_graph) {
        CGrabberCallback::FrameAccess frame(m_graph->Callback());
        const CxImage* img = frame.image();
        const JpegFrame::ScaledFrame* scaled = frame.scaled();
        if (img && img->IsValid() && img->GetBpp() == 24) {
            m_transform.SetFrameSize(QSize(int(img->GetWidth()), int(img->GetHeight())));
            painter.drawImage(0, 0,
                              m_sampler.Sample(img->GetBits(0), int(img->GetEffWidth()),
                                               PictureSampler::Rows::BottomUp24,
                                               int(img->GetWidth()), int(img->GetHeight()),
                                               m_transform));
        } else if (scaled) {
            m_transform.SetFrameSize(QSize(scaled->frameWidth, scaled->frameHeight));
            painter.drawImage(0, 0,
                              m_sampler.Sample(scaled->bits.data(), scaled->stride,
                                               PictureSampler::Rows::TopDown32, scaled->width,
                                               scaled->height, m_transform));
        } else {
            painter.fillRect(rect(), Qt::black);
        }
    } else {
        painter.fillRect(rect(), Qt::black);
    }
    if (m_overlay && !m_transform.FrameSize().isEmpty()) {
        painter.save();
        painter.setTransform(m_transform.PageToWidgetMatrix());
        m_overlay->Paint(painter, m_transform);
        painter.restore();
    }
}

void PresenterView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_transform.SetWidgetSize(size());
    Changed();
}

void PresenterView::wheelEvent(QWheelEvent* event)
{
    m_wheelRemainder += event->angleDelta().y();
    const int steps = m_wheelRemainder / kWheelStep;
    m_wheelRemainder -= steps * kWheelStep;
    // Turned toward the user (negative) zooms in, about the cursor, as in
    // the capture view.
    const QPointF at = event->position();
    for (int i = 0; i < std::abs(steps); ++i) {
        if (steps < 0)
            m_transform.ZoomIn(at);
        else
            m_transform.ZoomOut(at);
    }
    if (steps != 0)
        Changed();
    event->accept();
}

bool PresenterView::event(QEvent* event)
{
    if (event->type() != QEvent::Gesture)
        return QWidget::event(event);
    auto* gestures = static_cast<QGestureEvent*>(event);
    auto* pinch = static_cast<QPinchGesture*>(gestures->gesture(Qt::PinchGesture));
    if (!pinch)
        return QWidget::event(event);
    // Two fingers zoom about the point between them.
    if (pinch->changeFlags() & QPinchGesture::ScaleFactorChanged) {
        m_transform.SetZoom(m_transform.Zoom() * pinch->scaleFactor(),
                            mapFromGlobal(pinch->centerPoint()));
        Changed();
    }
    gestures->accept(pinch);
    return true;
}

void PresenterView::mousePressEvent(QMouseEvent* event)
{
    if (m_overlay && m_overlay->MousePress(event, m_transform)) {
        update();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        m_panning = true;
        m_panFrom = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void PresenterView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_panning && m_overlay && m_overlay->MouseMove(event, m_transform)) {
        update();
        return;
    }
    if (m_panning && (event->buttons() & Qt::LeftButton)) {
        m_transform.PanBy(event->position() - m_panFrom);
        m_panFrom = event->position();
        Changed();
    }
    event->ignore(); // the window watches the mouse for its toolbar
}

void PresenterView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_panning && event->button() == Qt::LeftButton) {
        m_panning = false;
        unsetCursor();
        event->accept();
        return;
    }
    if (m_overlay && m_overlay->MouseRelease(event, m_transform))
        update();
}
