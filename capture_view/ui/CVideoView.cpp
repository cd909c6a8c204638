#include "CVideoView.h"

#include "capture/PageGeometry.h"
#include "capture_view/ui/CameraControlsDialog.h"
#include "config/CConfigFile.h"
#include "config/CommandIds.h"
#include "config/SettingsKeys.h"
#include "image/cximage/CxImage.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstdio>

namespace {

QCursor& PanCursor()
{
    static QCursor cursor(Qt::ClosedHandCursor);
    return cursor;
}

} // namespace

void CVideoView::SetPanCursor(const QCursor& cursor)
{
    PanCursor() = cursor;
}

CVideoView::CVideoView(CScrivaDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("CVideoView"));
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setMinimumSize(10, 10);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_repaintTimer.setSingleShot(true);
    m_repaintTimer.setInterval(kRepaintMs);
    connect(&m_repaintTimer, &QTimer::timeout, this, &CVideoView::OnRepaintTimer);
    m_photos = new PhotoTaker(m_graph, this);
    // The flash starts before anyone hears of the photo.
    connect(m_photos, &PhotoTaker::photoSaved, this, &CVideoView::OnPhotoSaved);
    connect(m_photos, &PhotoTaker::photoSaved, this, &CVideoView::photoSaved);
    connect(m_photos, &PhotoTaker::watchPhotoTaken, this, &CVideoView::OnWatchPhoto);
    connect(m_photos, &PhotoTaker::watchStateChanged, viewport(), qOverload<>(&QWidget::update));
    m_doc.AddView(this);
}

CVideoView::~CVideoView()
{
    m_photos->StopAuto();
    m_repaintTimer.stop();
    m_doc.RemoveView(this);
    m_graph.Shutdown();
}

bool CVideoView::StartCapture()
{
    m_capturing = false;
    bool ok = false;
    if (m_forcedSource) {
        ok = m_graph.Initialize(*m_forcedSource);
    } else {
        ok = m_graph.Initialize(m_settings ? scriva::settings::CameraIds(*m_settings)
                                           : QStringList());
    }
    // A camera that is busy elsewhere, unplugged or stalls at start fails
    // here, like one that cannot be opened at all.
    m_failureReason.clear();
    m_droppedFrames = 0;
    if (!ok || !m_graph.StartPreview()) {
        m_failureReason = m_graph.FailureText();
        if (m_failureReason.isEmpty())
            m_failureReason = QStringLiteral("the camera could not be started");
        std::fprintf(stderr, "scriva: the camera picture cannot be shown: %s\n",
                     m_failureReason.toLocal8Bit().constData());
        m_graph.Shutdown();
        return false;
    }
    const QString note = SourceNote();
    if (!note.isEmpty())
        std::fprintf(stderr, "scriva: %s\n", note.toLocal8Bit().constData());
    setToolTip(note);
    m_zoom = 1.0f;
    SetScrollSizes(0, 0);
    m_lastFrameCount = m_graph.Callback().FrameCount();
    m_droppedAtLastFrame = 0;
    m_sinceNewFrame.start();
    PublishPageFrame();
    m_capturing = true;
    m_repaintTimer.start();
    return true;
}

void CVideoView::PublishPageFrame()
{
    int w = 0;
    int h = 0;
    if (!m_graph.Callback().FrameSize(w, h)) {
        w = m_graph.VideoWidth();
        h = m_graph.VideoHeight();
    }
    int pageHeight = 0;
    int pageWidth = 0;
    if (m_settings)
        PageGeometry::ChosenPageSizeMm(*m_settings, pageHeight, pageWidth);
    m_graph.Callback().PublishPageFrame(
        w, h, PageGeometry::PageFrame(m_graph.CameraModel(), w, h, pageHeight, pageWidth));
    PublishShownSize();
}

void CVideoView::PublishShownSize()
{
    if (m_shownElsewhere)
        return;
    // Compressed frames are decoded at the smallest scale that covers this.
    const QSize shown = ShownSize();
    m_graph.Callback().PublishShownSize(shown.width(), shown.height());
}

QSize CVideoView::ShownSize() const
{
    const int vw = viewport()->width();
    const int vh = viewport()->height();
    return m_zoom > 1.0f ? QSize(int(vw * m_zoom), int(vh * m_zoom)) : QSize(vw, vh);
}

void CVideoView::UpdateDropped()
{
    const uint64_t dropped = m_graph.Callback().DroppedCount();
    if (dropped == m_droppedFrames)
        return;
    m_droppedFrames = dropped;
    setToolTip(CameraStatus());
}

QString CVideoView::CameraStatus() const
{
    QStringList parts;
    if (const QString note = SourceNote(); !note.isEmpty())
        parts << note;
    if (m_droppedFrames > 0) {
        const QString text = m_photos->Text(scriva::str::kDamagedFramesDropped);
        parts << (text.contains(QLatin1String("%1"))
                      ? text.arg(m_droppedFrames)
                      : QStringLiteral("%1: %2").arg(text).arg(m_droppedFrames));
    }
    return parts.join(QStringLiteral("; "));
}

bool CVideoView::CheckHealth()
{
    UpdateDropped(); // before a failure shuts the graph down and its count with it
    if (m_graph.HasFailed()) {
        Fail(m_graph.FailureText());
        return false;
    }
    const uint64_t frames = m_graph.Callback().FrameCount();
    if (frames != m_lastFrameCount) {
        m_lastFrameCount = frames;
        m_droppedAtLastFrame = m_droppedFrames;
        m_sinceNewFrame.restart();
    } else if (m_sinceNewFrame.elapsed() > m_stallLimitMs) {
        // Pictures that came but could not be decoded say why instead.
        const QString dropped = m_droppedFrames > m_droppedAtLastFrame
                                    ? m_graph.Callback().LastDropReason()
                                    : QString();
        Fail(dropped.isEmpty()
                 ? QStringLiteral("the camera stopped sending pictures (no picture for %1 s)")
                       .arg(m_stallLimitMs / 1000.0)
                 : QStringLiteral("no picture of the camera could be shown for %1 s: %2")
                       .arg(m_stallLimitMs / 1000.0)
                       .arg(dropped));
        return false;
    }
    return true;
}

QString CVideoView::SourceNote() const
{
    const CaptureSource& source = m_graph.Source();
    if (source.note.isEmpty())
        return QString();
    return QStringLiteral("%1: %2").arg(source.friendlyName, source.note);
}

void CVideoView::Fail(const QString& reason)
{
    m_failureReason = reason;
    std::fprintf(stderr, "scriva: the camera failed: %s\n", reason.toLocal8Bit().constData());
    m_repaintTimer.stop();
    m_graph.Shutdown();
    m_capturing = false;
    viewport()->update();
    emit captureFailed(reason);
}

void CVideoView::OnRepaintTimer()
{
    if (!m_capturing || !CheckHealth())
        return;
    PublishPageFrame();
    if (m_shownElsewhere) {
        m_repaintTimer.start(); // no paint re-arms it
        return;
    }
    m_repaintPending = true;
    viewport()->update();
}

void CVideoView::SetShownElsewhere(bool elsewhere)
{
    m_shownElsewhere = elsewhere;
    if (!elsewhere) {
        PublishShownSize();
        viewport()->update();
    }
}

void CVideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const int vw = viewport()->width();
    const int vh = viewport()->height();
    {
        CGrabberCallback::FrameAccess frame(m_graph.Callback());
        const CxImage* img = frame.image();
        const JpegFrame::ScaledFrame* scaled = frame.scaled();
        const bool zoomed = m_zoom > 1.0f;
        const QSize shown = ShownSize();
        const int sx = zoomed ? horizontalScrollBar()->value() : 0;
        const int sy = zoomed ? verticalScrollBar()->value() : 0;
        if (img && img->IsValid()) {
            painter.drawImage(0, 0,
                              m_painter.Sample(img->GetBits(0), int(img->GetEffWidth()),
                                               int(img->GetWidth()), int(img->GetHeight()), vw, vh,
                                               shown.width(), shown.height(), sx, sy));
        } else if (scaled) {
            painter.drawImage(0, 0,
                              m_painter.SampleTopDown32(scaled->bits.data(), scaled->stride,
                                                        scaled->width, scaled->height, vw, vh,
                                                        shown.width(), shown.height(), sx, sy));
        } else {
            painter.fillRect(viewport()->rect(), Qt::black);
        }
    }
    const QString note = m_capturing ? SourceNote() : QString();
    if (!note.isEmpty()) { // the demo camera standing in for a camera says so on the picture
        const QRect band(0, 0, vw, painter.fontMetrics().height() + 2 * kNoteMargin);
        painter.fillRect(band, QColor(0, 0, 0, kNoteShade));
        painter.setPen(Qt::white);
        painter.drawText(band.adjusted(kNoteMargin, 0, -kNoteMargin, 0),
                         Qt::AlignVCenter | Qt::AlignLeft, note);
    }
    PaintWatchNote(painter);
    if (IsFlashing()) {
        // Fades from kFlashAlpha to nothing.
        const int alpha = int(kFlashAlpha * (1.0 - double(m_sinceFlash.elapsed()) / kFlashMs));
        painter.fillRect(viewport()->rect(), QColor(255, 255, 255, std::max(0, alpha)));
    }
    if (m_repaintPending) {
        m_repaintPending = false;
        if (m_capturing)
            m_repaintTimer.start();
    }
}

void CVideoView::OnPhotoSaved()
{
    m_sinceFlash.start();
    viewport()->update();
    // The fade's middle and its end are painted even between repaint ticks.
    QTimer::singleShot(kFlashMs / 2, viewport(), qOverload<>(&QWidget::update));
    QTimer::singleShot(kFlashMs + 10, viewport(), qOverload<>(&QWidget::update));
}

void CVideoView::OnWatchPhoto(const QString& path)
{
    m_watchPhotoName = QFileInfo(path).fileName();
    m_sinceWatchPhoto.start();
    QTimer::singleShot(kTakenShownMs + 10, viewport(), qOverload<>(&QWidget::update));
}

bool CVideoView::IsFlashing() const
{
    return m_sinceFlash.isValid() && m_sinceFlash.elapsed() < kFlashMs;
}

QString CVideoView::WatchNote() const
{
    if (!m_photos->IsWatching())
        return QString();
    if (m_sinceWatchPhoto.isValid() && m_sinceWatchPhoto.elapsed() < kTakenShownMs) {
        const QString text = m_photos->Text(scriva::str::kWatchTaken);
        return text.contains(QLatin1String("%1")) ? text.arg(m_watchPhotoName)
                                                  : text + u' ' + m_watchPhotoName;
    }
    switch (m_photos->WatchState()) {
    case scriva::watch::WatchState::Waiting:
        return m_photos->Text(scriva::str::kWatchWaiting);
    case scriva::watch::WatchState::Moving:
    case scriva::watch::WatchState::Settling:
        return m_photos->Text(scriva::str::kWatchHoldStill);
    case scriva::watch::WatchState::Blocked:
        return m_photos->Text(scriva::str::kWatchHandAway);
    }
    return QString();
}

void CVideoView::PaintWatchNote(QPainter& painter)
{
    const QString note = m_capturing ? WatchNote() : QString();
    if (note.isEmpty())
        return;
    // A small rounded label in the lower left corner, a dot of the state's
    // colour before the text: grey waiting, amber hold still, red a hand in
    // the way, green taken.
    QColor dot(170, 170, 170);
    if (m_sinceWatchPhoto.isValid() && m_sinceWatchPhoto.elapsed() < kTakenShownMs)
        dot = QColor(80, 200, 90);
    else if (m_photos->WatchState() == scriva::watch::WatchState::Blocked)
        dot = QColor(230, 70, 60);
    else if (m_photos->WatchState() != scriva::watch::WatchState::Waiting)
        dot = QColor(240, 180, 40);
    const QFontMetrics metrics = painter.fontMetrics();
    const int h = metrics.height() + 2 * kNoteMargin;
    const int d = metrics.height() / 2;
    const int w = kNoteMargin * 3 + d + metrics.horizontalAdvance(note) + 2 * kNoteMargin;
    const QRect box(2 * kNoteMargin, viewport()->height() - h - 2 * kNoteMargin, w, h);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(box), h / 2.0, h / 2.0);
    painter.fillPath(path, QColor(0, 0, 0, kNoteShade));
    painter.setPen(Qt::NoPen);
    painter.setBrush(dot);
    painter.drawEllipse(QRect(box.left() + 2 * kNoteMargin, box.center().y() - d / 2, d, d));
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(3 * kNoteMargin + d + kNoteMargin, 0, -kNoteMargin, 0),
                     Qt::AlignVCenter | Qt::AlignLeft, note);
    painter.restore();
}

void CVideoView::SetScrollSizes(int width, int height)
{
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
}

void CVideoView::ScrollTo(int x, int y)
{
    verticalScrollBar()->setValue(y);
    horizontalScrollBar()->setValue(x);
}

void CVideoView::ApplyZoom(float oldZoom, int x, int y)
{
    const int w = viewport()->width();
    const int h = viewport()->height();
    SetScrollSizes(m_zoom > 1.0f ? int(w * m_zoom) : 0, m_zoom > 1.0f ? int(h * m_zoom) : 0);
    PublishShownSize();
    const int sx = horizontalScrollBar()->value();
    const int sy = verticalScrollBar()->value();
    // The point under the cursor stays under it.
    const float ratio = m_zoom / oldZoom;
    ScrollTo(int(ratio * float(x + sx) - float(x)), int(ratio * float(y + sy) - float(y)));
    viewport()->update();
}

void CVideoView::ZoomIn(int x, int y)
{
    const float old = m_zoom;
    if (m_zoom < kMaxZoom)
        m_zoom += kZoomStep;
    else
        m_zoom = kMaxZoom;
    ApplyZoom(old, x, y);
}

void CVideoView::ZoomOut(int x, int y)
{
    const float old = m_zoom;
    if (m_zoom > 1.0f)
        m_zoom -= kZoomStep;
    else
        m_zoom = 1.0f;
    ApplyZoom(old, x, y);
}

void CVideoView::wheelEvent(QWheelEvent* event)
{
    m_wheelRemainder += event->angleDelta().y();
    const int steps = m_wheelRemainder / kWheelStep;
    m_wheelRemainder -= steps * kWheelStep;
    if (steps == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // Turned toward the user (negative) zooms in, about the cursor.
    const QPoint at = event->position().toPoint();
    for (int i = 0; i < std::abs(steps); ++i) {
        if (steps < 0)
            ZoomIn(at.x(), at.y());
        else
            ZoomOut(at.x(), at.y());
    }
    event->accept();
}

void CVideoView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragCursor = event->position().toPoint();
        m_dragScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
        m_dragging = true;
    }
    QAbstractScrollArea::mousePressEvent(event);
    event->accept();
}

void CVideoView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        viewport()->setCursor(PanCursor());
        const QPoint at = event->position().toPoint();
        const bool wider = horizontalScrollBar()->maximum() > 0;
        const bool taller = verticalScrollBar()->maximum() > 0;
        ScrollTo(wider ? m_dragScroll.x() + m_dragCursor.x() - at.x() : 0,
                 taller ? m_dragScroll.y() + m_dragCursor.y() - at.y() : 0);
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CVideoView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        viewport()->unsetCursor();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
    event->accept();
}

void CVideoView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    // The zoomed picture keeps its size relative to the new client area.
    if (m_zoom > 1.0f)
        SetScrollSizes(int(viewport()->width() * m_zoom), int(viewport()->height() * m_zoom));
    PublishShownSize();
}

void CVideoView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CVideoView::SetSettings(CConfigFile* settings)
{
    m_settings = settings;
    m_photos->SetStore(settings);
}

bool CVideoView::TakePhoto(bool noSave)
{
    return m_photos->Take(noSave);
}

bool CVideoView::Busy() const
{
    return m_photos->InProgress() || m_photos->ProgramBusy();
}

void CVideoView::OnDocumentUpdate(int)
{
    viewport()->update();
}

bool CVideoView::OnCommand(int id)
{
    switch (id) {
    case scriva::cmd::kFit:
        m_fitMode = 1;
        m_graph.FitVideoWindowToOwner();
        viewport()->update();
        return true;
    case scriva::cmd::kActualSize:
        m_fitMode = 0;
        m_graph.SetVideoWindowToVideoSize();
        viewport()->update();
        return true;
    case scriva::cmd::kZoomIn:
        ZoomIn(0, 0);
        return true;
    case scriva::cmd::kZoomOut:
        ZoomOut(0, 0);
        return true;
    case scriva::cmd::kDeviceProperties:
        // Sources without controls (demo camera, test pattern) show nothing.
        CameraControlsDialog::ShowFor(m_graph.ControlsDevice(), this);
        return true;
    case scriva::cmd::kTakePhoto:
        TakePhoto(false);
        return true;
    case scriva::cmd::kStartAutoCapture:
        m_photos->StartAuto();
        return true;
    case scriva::cmd::kStopAutoCapture:
        m_photos->StopAuto();
        return true;
    default:
        return false;
    }
}

std::optional<CommandState> CVideoView::OnUpdateCommand(int id) const
{
    switch (id) {
    case scriva::cmd::kFit:
        return CommandState::Checked(m_fitMode == 0, m_fitMode == 1);
    case scriva::cmd::kActualSize:
        return CommandState::Checked(m_fitMode == 1, m_fitMode == 0);
    case scriva::cmd::kZoomIn:
    case scriva::cmd::kZoomOut:
        return CommandState::Enabled(true);
    case scriva::cmd::kDeviceProperties: // the demo camera and the test pattern have no controls
        return CommandState::Enabled(!m_graph.ControlsDevice().isEmpty());
    case scriva::cmd::kTakePhoto: // one photo at a time, none while the timer takes them
        return CommandState::Enabled(!m_photos->IsAuto() && !Busy());
    case scriva::cmd::kStartAutoCapture: // the settings may turn automatic photos off
        return CommandState::Enabled(!m_photos->IsAuto() && !Busy() &&
                                     m_photos->ChosenMode() != AutoCaptureMode::Off);
    case scriva::cmd::kStopAutoCapture:
        return CommandState::Enabled(m_photos->IsAuto() && !Busy());
    default:
        return std::nullopt;
    }
}
