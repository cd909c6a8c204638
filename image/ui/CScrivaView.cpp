#include "CScrivaView.h"

#include "TextDialog.h"
#include "image/CxImageDraw.h"
#include "image/ViewGeometry.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

namespace {

const QColor kHatchColour(191, 191, 191);
QCursor* s_handCursor = nullptr;

} // namespace

CScrivaView::CScrivaView(CScrivaDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("CScrivaView"));
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setMinimumSize(10, 10);
    setFocusPolicy(Qt::StrongFocus);
    m_antsTimer.setInterval(LassoTimerMs);
    connect(&m_antsTimer, &QTimer::timeout, this, &CScrivaView::onAntsTick);
    m_doc.AddView(this);
    m_doc.SetImageView(this);
    updateScrollBars();
}

CScrivaView::~CScrivaView()
{
    if (m_doc.ImageView() == this)
        m_doc.SetImageView(nullptr);
    m_doc.RemoveView(this);
}

void CScrivaView::SetHandCursor(const QCursor& cursor)
{
    delete s_handCursor;
    s_handCursor = new QCursor(cursor);
}

// ----- document and geometry

void CScrivaView::OnDocumentUpdate(int)
{
    updateScrollBars();
    viewport()->update();
}

QSize CScrivaView::ClientSize() const
{
    return viewport()->size();
}

QPoint CScrivaView::ScrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CScrivaView::EmptyTracker()
{
    m_tracker.Clear();
}

void CScrivaView::StopLasso()
{
    m_antsTimer.stop();
}

void CScrivaView::Repaint()
{
    updateScrollBars();
    viewport()->update();
}

QSize CScrivaView::zoomedSize() const
{
    const CxImage* image = m_doc.GetImage();
    if (!m_doc.HasImage())
        return QSize(0, 0);
    return scriva::view::ZoomedSize(int(image->GetWidth()), int(image->GetHeight()), m_doc.Zoom());
}

void CScrivaView::updateScrollBars()
{
    const QSize content = zoomedSize();
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - client.width()));
    horizontalScrollBar()->setPageStep(client.width());
    horizontalScrollBar()->setSingleStep(std::max(1, client.width() / 20));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - client.height()));
    verticalScrollBar()->setPageStep(client.height());
    verticalScrollBar()->setSingleStep(std::max(1, client.height() / 20));
}

void CScrivaView::setScroll(QPoint position)
{
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

QPoint CScrivaView::imagePoint(QPoint client) const
{
    return scriva::view::ClientToImage(client, ScrollPosition(), m_doc.Zoom());
}

bool CScrivaView::insideImage(QPoint p) const
{
    const CxImage* image = m_doc.GetImage();
    return m_doc.HasImage() && p.x() >= 0 && p.y() >= 0 && p.x() < int(image->GetWidth()) &&
           p.y() < int(image->GetHeight());
}

bool CScrivaView::isRectTool(int tool) const
{
    return tool == CScrivaDoc::CmdCropTool || tool == CScrivaDoc::CmdPresetAreaTool ||
           tool == CScrivaDoc::CmdRegionTextTool || tool == CScrivaDoc::CmdRegionTableTool;
}

void CScrivaView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CScrivaView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// ----- painting

void CScrivaView::paintBackground(QPainter& painter, const QRect& area)
{
    // The whole area, under the picture too: a picture with transparent parts
    // shows the background there, never what was painted before.
    const QPoint scroll = ScrollPosition();
    QBrush hatch(kHatchColour, Qt::DiagCrossPattern);
    // Anchored to the picture, so the hatch does not crawl while scrolling.
    hatch.setTransform(
        QTransform::fromTranslate(-(scroll.x() % HatchSize), -(scroll.y() % HatchSize)));
    painter.fillRect(area, Qt::white);
    painter.fillRect(area, hatch);
}

void CScrivaView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    paintBackground(painter, area);
    if (m_doc.HasImage()) {
        const CxImage& image = *m_doc.GetImage();
        const QPoint scroll = ScrollPosition();
        if (m_doc.Zoom() == 1.0f) {
            scriva::Draw(painter, image, -scroll.x(), -scroll.y());
        } else {
            const QSize zoomed = zoomedSize();
            scriva::Draw(painter, image, QRect(QPoint(0, 0) - scroll, zoomed), &area);
        }
    }
    m_tracker.Draw(painter);
    paintLasso(painter);
    if (m_textDragShown && !m_doc.TextImage().isNull())
        painter.drawImage(m_textDragAt, m_doc.TextImage());
}

// Our own line stepping: a counter starting at the ants phase runs 0...7 over
// the whole outline; white for 0...3, black for 4...7.
void CScrivaView::paintLasso(QPainter& painter) const
{
    const std::vector<CxPoint>& points = m_doc.LassoPoints();
    if (points.size() < 3 || m_doc.Tool() != CScrivaDoc::CmdLassoTool)
        return;
    const QPoint scroll = ScrollPosition();
    const float zoom = m_doc.Zoom();
    QPolygon white, black;
    int counter = m_antsPhase;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const QPoint a =
            scriva::view::ImageToClient(QPoint(points[i].x, points[i].y), scroll, zoom);
        const QPoint b =
            scriva::view::ImageToClient(QPoint(points[i + 1].x, points[i + 1].y), scroll, zoom);
        int x = a.x(), y = a.y();
        const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
        const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            (counter < AntsPhases / 2 ? white : black) << QPoint(x, y);
            counter = (counter + 1) % AntsPhases;
            if (x == b.x() && y == b.y())
                break;
            const int e2 = 2 * err;
            if (e2 >= dy)
                err += dy, x += sx;
            if (e2 <= dx)
                err += dx, y += sy;
        }
    }
    painter.setPen(Qt::white);
    painter.drawPoints(white);
    painter.setPen(Qt::black);
    painter.drawPoints(black);
}

QRect CScrivaView::lassoBounds() const
{
    const std::vector<CxPoint>& points = m_doc.LassoPoints();
    if (points.empty())
        return {};
    int l = points[0].x, r = l, t = points[0].y, b = t;
    for (const CxPoint& p : points) {
        l = std::min(l, p.x), r = std::max(r, p.x);
        t = std::min(t, p.y), b = std::max(b, p.y);
    }
    const QPoint scroll = ScrollPosition();
    const QPoint tl = scriva::view::ImageToClient(QPoint(l, t), scroll, m_doc.Zoom());
    const QPoint br = scriva::view::ImageToClient(QPoint(r, b), scroll, m_doc.Zoom());
    return QRect(tl, br).adjusted(-2, -2, 2, 2);
}

void CScrivaView::onAntsTick()
{
    m_antsPhase = (m_antsPhase + 1) % AntsPhases;
    viewport()->update(lassoBounds());
}

// ----- mouse

void CScrivaView::updateCursor(QPoint at)
{
    const int tool = m_doc.Tool();
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (m_doc.IsBusy())
        shape = Qt::BusyCursor;
    else if (isRectTool(tool))
        shape = m_tracker.CursorFor(at);
    else if (tool == CScrivaDoc::CmdLassoTool)
        shape = Qt::CrossCursor;
    else if (tool == CScrivaDoc::CmdHandTool) {
        viewport()->setCursor(s_handCursor ? *s_handCursor : QCursor(Qt::OpenHandCursor));
        return;
    }
    if (m_doc.TextPending() && m_doc.TextHitRect().contains(imagePoint(at)) &&
        tool != CScrivaDoc::CmdHandTool)
        shape = Qt::SizeAllCursor;
    viewport()->setCursor(shape);
}

void CScrivaView::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::MiddleButton) {
        m_pressPoint = at;
        m_pressScroll = ScrollPosition();
    }
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_leftDown = true;
    m_pressPoint = at;
    m_pressScroll = ScrollPosition();
    const int tool = m_doc.Tool();
    if (m_doc.HasImage() && isRectTool(tool))
        pressRectTool(at);
    else if (tool == CScrivaDoc::CmdLassoTool) {
        m_antsTimer.stop();
        m_newOutline = true;
        m_outlineDrawn = false;
    }
    pressText(at);
    if (m_doc.HasImage() && m_doc.Tool() == 0 && !m_draggingText)
        m_fileDragArmed = true;
    event->accept();
}

void CScrivaView::pressRectTool(QPoint at)
{
    m_doc.ClearMarks();
    const RectTracker::Hit hit = m_tracker.HitTest(at);
    const int tool = m_doc.Tool();
    if (hit == RectTracker::HitNothing) {
        m_tracker.Clear();
        m_tracker.BeginRubberBand(at);
    } else if (tool == CScrivaDoc::CmdCropTool || tool == CScrivaDoc::CmdPresetAreaTool) {
        m_tracker.BeginTrack(at, hit);
    } else {
        // A region tool pressed on its rectangle: its text is recognised and
        // dragged from here; the drag has taken the button's release.
        const CxImage* image = m_doc.GetImage();
        m_doc.RecognizeRegion(viewport(), scriva::view::TrackerToImage(
                                              m_tracker.Rect(), ScrollPosition(), m_doc.Zoom(),
                                              int(image->GetWidth()), int(image->GetHeight())));
        m_leftDown = false;
    }
    viewport()->update();
}

void CScrivaView::pressText(QPoint at)
{
    if (!m_doc.TextPending())
        return;
    const bool onText = m_doc.TextHitRect().contains(imagePoint(at));
    if ((onText && !m_draggingText && m_doc.Tool() != CScrivaDoc::CmdHandTool) || m_draggingText) {
        m_draggingText = true;
        m_textDragShown = true;
        m_textDragAt = at;
        m_fileDragArmed = false;
        viewport()->update();
    }
}

void CScrivaView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    updateCursor(at);
    if (!m_doc.HasImage() || !(event->buttons() & Qt::LeftButton) || !m_leftDown)
        return;
    if (m_tracker.IsTracking()) {
        m_tracker.TrackTo(at);
        viewport()->update();
        return;
    }
    if (m_textDragShown) {
        m_textDragAt = at;
        viewport()->setCursor(Qt::SizeAllCursor);
        viewport()->update();
        return;
    }
    const QPoint image = imagePoint(at);
    if (!insideImage(image))
        return;
    const int tool = m_doc.Tool();
    if (tool == CScrivaDoc::CmdHandTool)
        moveHand(at);
    else if (tool == CScrivaDoc::CmdLassoTool)
        moveLasso(image, event->modifiers() & Qt::ShiftModifier);
    else if (tool == 0 && m_fileDragArmed &&
             (at - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
        m_fileDragArmed = false;
        startFileDrag();
    }
}

void CScrivaView::moveHand(QPoint at)
{
    const QSize zoomed = zoomedSize();
    const QSize client = viewport()->size();
    const int x =
        zoomed.width() > client.width() ? m_pressScroll.x() + m_pressPoint.x() - at.x() : 0;
    const int y =
        zoomed.height() > client.height() ? m_pressScroll.y() + m_pressPoint.y() - at.y() : 0;
    setScroll(QPoint(x, y));
}

void CScrivaView::moveLasso(QPoint image, bool shift)
{
    std::vector<CxPoint>& points = m_doc.LassoPoints();
    if (m_newOutline) {
        points.clear();
        m_newOutline = false;
    }
    const CxPoint p{image.x(), image.y()};
    if (shift) {
        // A closed axis-parallel rectangle from the first point.
        if (points.empty()) {
            points.push_back(p);
        } else {
            const CxPoint o = points.front();
            points.assign({o, CxPoint{p.x, o.y}, p, CxPoint{o.x, p.y}, o});
        }
    } else if (int(points.size()) < CScrivaDoc::kLassoCountCap) {
        points.push_back(p); // beyond the cap further points are dropped
    }
    m_outlineDrawn = true;
    viewport()->update(lassoBounds());
}

void CScrivaView::startFileDrag()
{
    const QString path = m_doc.PathName();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    emit fileDragStarting(path);
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

void CScrivaView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_leftDown = false;
    const QPoint at = event->position().toPoint();
    if (m_tracker.IsTracking()) {
        m_tracker.EndTrack();
        viewport()->update();
    }
    if (m_doc.HasImage() && m_doc.Tool() == 0)
        m_fileDragArmed = false;
    if (m_doc.Tool() == CScrivaDoc::CmdLassoTool && m_doc.HasImage()) {
        releaseLasso();
    } else if (m_textDragShown && m_doc.TextPending()) {
        viewport()->setCursor(Qt::ArrowCursor);
        m_textDragShown = false;
        m_draggingText = false;
        m_doc.PlaceText(imagePoint(at));
    }
    event->accept();
}

void CScrivaView::releaseLasso()
{
    std::vector<CxPoint>& points = m_doc.LassoPoints();
    // Only an outline drawn by this press is closed, and only once.
    if (m_outlineDrawn && points.size() > 2 &&
        int(points.size()) < CScrivaDoc::kLassoCapacity - 1) {
        const CxPoint first = points.front();
        const CxPoint last = points.back();
        if (first.x != last.x || first.y != last.y)
            points.push_back(first);
        m_antsTimer.start();
    }
    m_outlineDrawn = false;
    viewport()->update();
}

void CScrivaView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const QPoint image = imagePoint(at);
    const bool onText = m_doc.TextHitRect().contains(image);
    QPointer<CScrivaView> self(this);
    switch (m_doc.Tool()) {
    case CScrivaDoc::CmdCropTool:
        if (m_tracker.HitTest(at) != RectTracker::HitNothing)
            doubleClickCrop(at);
        break;
    case CScrivaDoc::CmdLassoTool:
        if (m_doc.HasImage() && m_doc.LassoPoints().size() >= 3) {
            m_doc.LassoCrop();
            m_doc.LassoPoints().clear();
            m_antsTimer.stop();
        }
        break;
    case CScrivaDoc::CmdPresetAreaTool:
        doubleClickPresetArea();
        break;
    case 0:
        if (!onText) {
            // The live camera replaces this view: not from inside its own handler.
            m_doc.Host().SwitchRightPaneLater();
            return;
        }
        break;
    default:
        break;
    }
    if (self && onText && m_doc.HasImage())
        doubleClickText(image);
}

void CScrivaView::doubleClickCrop(QPoint)
{
    const CxImage* image = m_doc.GetImage();
    if (m_doc.HasImage()) {
        const QRect r =
            scriva::view::TrackerToImage(m_tracker.Rect(), ScrollPosition(), m_doc.Zoom(),
                                         int(image->GetWidth()), int(image->GetHeight()));
        m_doc.CropTo(r);
    }
    m_tracker.Clear();
    Repaint();
}

void CScrivaView::doubleClickPresetArea()
{
    if (m_tracker.IsEmpty())
        return;
    QPointer<CScrivaView> self(this);
    DocumentHost& host = m_doc.Host();
    IWindowServices& window = m_doc.Window();
    const bool yes = window.AskYesNo(host.BoxParent(), window.Text(StrPresetQuestion));
    if (!self)
        return;
    if (yes)
        m_doc.SetPresetArea({m_tracker.Rect(), m_pressScroll, m_doc.Zoom()});
    m_doc.SetTool(0);
    m_tracker.Clear();
    Repaint();
    if (yes)
        host.PresetAreaConfirmed();
}

void CScrivaView::doubleClickText(QPoint)
{
    QPointer<CScrivaView> self(this);
    if (!EditText() || !self)
        return;
    m_doc.LiftText(); // the placed text comes off while it is edited
    if (m_doc.PrepareText())
        m_draggingText = true;
}

bool CScrivaView::EditText()
{
    IWindowServices& window = m_doc.Window();
    TextDialog dialog(
        m_doc.SharedTextInfo(), [&window](int id) { return window.Text(id); }, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_doc.SharedTextInfo() = dialog.Info();
    return true;
}

// ----- wheel

void CScrivaView::wheelEvent(QWheelEvent* event)
{
    if (!m_doc.HasImage()) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    m_wheelRemainder += event->angleDelta().y();
    const int steps = m_wheelRemainder / WheelStep;
    m_wheelRemainder -= steps * WheelStep;
    // Turned toward the user (negative) zooms in, about the cursor.
    const QPoint at = event->position().toPoint();
    for (int i = 0; i < std::abs(steps); ++i)
        wheelZoom(steps < 0, at);
    event->accept();
}

void CScrivaView::wheelZoom(bool zoomIn, QPoint at)
{
    const QSize zoomed = zoomedSize();
    const QSize client = viewport()->size();
    const bool fits = zoomed.width() <= client.width() && zoomed.height() <= client.height();
    const QPoint old = ScrollPosition();
    const bool onImage = QRect(QPoint(0, 0) - old, zoomed).contains(at);
    const float factor = zoomIn ? scriva::view::kZoomInFactor : scriva::view::kZoomOutFactor;
    if (!zoomIn && !fits && !onImage)
        return; // beside a large image the wheel does nothing
    const bool changed = zoomIn ? m_doc.ZoomIn() : m_doc.ZoomOut();
    if (!changed)
        return;
    m_doc.UpdateStatus(CScrivaDoc::StatusZoom);
    if (!fits && onImage)
        setScroll(QPoint(scriva::view::WheelScroll(at.x(), old.x(), factor),
                         scriva::view::WheelScroll(at.y(), old.y(), factor)));
}

// ----- commands

bool CScrivaView::OnCommand(int id)
{
    if (id != CScrivaDoc::CmdTextTool)
        return false;
    if (m_doc.Tool() == CScrivaDoc::CmdTextTool) {
        m_doc.SetTool(0);
        return true;
    }
    QPointer<CScrivaView> self(this);
    if (!EditText() || !self)
        return true;
    m_doc.ResetTool();
    m_doc.TakeBackup();
    if (m_doc.PrepareText())
        m_draggingText = true;
    return true;
}

std::optional<CommandState> CScrivaView::OnUpdateCommand(int) const
{
    return std::nullopt;
}
