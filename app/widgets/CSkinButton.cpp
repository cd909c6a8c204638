#include "app/widgets/CSkinButton.h"

#include "app/widgets/Contrast.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

CSkinButton::CSkinButton(const QString& caption, QWidget* parent, int pressOffset,
                         const QColor& normal, const QColor& pressed, const QColor& hover,
                         const QColor& disabled)
    : QAbstractButton(parent),
      m_pressOffset(pressOffset), m_colours{normal, pressed, hover, disabled}
{
    setText(caption);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
}

bool CSkinButton::LoadBitmaps(const QString& normal, const QString& pressed, const QString& hover,
                              const QString& disabled)
{
    const QString paths[StateCount] = {normal, pressed, hover, disabled};
    std::array<QPixmap, StateCount> skins;
    bool all = true;
    for (int i = 0; i < StateCount; ++i)
        all = !paths[i].isEmpty() && skins[i].load(paths[i]) && all;
    // A missing skin would be stretched as an empty picture: keep the colours then.
    m_skinsLoaded = all;
    m_skins = all ? skins : std::array<QPixmap, StateCount>{};
    m_stale = true;
    update();
    return all;
}

QPainterPath CSkinButton::RoundedPath(const QSize& size)
{
    const int h = size.height();
    // Whole-pixel quarter and half of the height, as the button shape was drawn.
    const qreal corner = (h / 4 + h / 2) / 2.0; // NOLINT(bugprone-integer-division)
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), h), corner, corner);
    return path;
}

QRegion CSkinButton::RoundedRegion(const QSize& size)
{
    return QRegion(RoundedPath(size).toFillPolygon().toPolygon());
}

QSize CSkinButton::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 24, 2 * fm.height() + 14};
}

CSkinButton::State CSkinButton::CurrentState() const
{
    if (!isEnabled())
        return Disabled;
    if (isDown())
        return Pressed;
    return m_hover ? Hover : Normal;
}

void CSkinButton::resizeEvent(QResizeEvent* event)
{
    QAbstractButton::resizeEvent(event);
    // No window mask: a mask cuts in whole pixels and would make the corners
    // jagged again. The corners are painted transparent and ignore clicks.
    m_path = RoundedPath(size());
    m_region = RoundedRegion(size());
    m_stale = true;
}

bool CSkinButton::hitButton(const QPoint& pos) const
{
    return m_region.contains(pos);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!isDown())
        hoverTest(event->position().toPoint());
    QAbstractButton::mouseMoveEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event)
{
    hoverTest(QPoint(-1, -1));
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        m_stale = true;
    QAbstractButton::changeEvent(event);
}

void CSkinButton::hoverTest(const QPoint& pos)
{
    const bool inside = m_region.boundingRect().contains(pos) && m_region.contains(pos);
    if (inside == m_hover)
        return;
    m_hover = inside;
    repaint();
}

void CSkinButton::buildImages(qreal pixelRatio)
{
    for (int i = 0; i < StateCount; ++i)
        m_images[i] = StateImage(State(i), pixelRatio);
    m_imagesRatio = pixelRatio;
    m_stale = false;
}

void CSkinButton::drawEdges(QPainter& painter, bool pressed) const
{
    const QPalette& pal = palette();
    // The band the shape loses when moved by (d, d): its top-left rim for d > 0,
    // its bottom-right rim for d < 0.
    auto edge = [&](int d, const QColor& colour) {
        painter.fillPath(m_path.subtracted(m_path.translated(d, d)), colour);
    };
    if (m_pressOffset == 2) {
        edge(+2, pressed ? pal.color(QPalette::Shadow) : pal.color(QPalette::Light));
        edge(-2, pressed ? pal.color(QPalette::Midlight) : pal.color(QPalette::Dark));
        edge(+1, pressed ? pal.color(QPalette::Dark) : pal.color(QPalette::Midlight));
    } else {
        edge(+1, pressed ? pal.color(QPalette::Shadow) : pal.color(QPalette::Light));
    }
    edge(-1, pressed ? pal.color(QPalette::Light) : pal.color(QPalette::Shadow));
}

scriva::contrast::Extremes CSkinButton::stateBackground(State state) const
{
    if (m_skinsLoaded) {
        const scriva::contrast::Extremes range =
            scriva::contrast::LightestAndDarkest(m_skins[state].toImage());
        if (range.lightest.isValid())
            return range;
    }
    return {m_colours[state], m_colours[state]};
}

QColor CSkinButton::CaptionColour(State state) const
{
    const QPalette& pal = palette();
    const scriva::contrast::Extremes under = stateBackground(state);
    if (state == Disabled) // greyed, yet still legible
        return scriva::contrast::ReadableOnRange(pal.color(QPalette::Dark), under.lightest,
                                                 under.darkest, scriva::contrast::kLarge);
    return scriva::contrast::ReadableOnRange(pal.color(QPalette::ButtonText), under.lightest,
                                             under.darkest, scriva::contrast::kText);
}

QImage CSkinButton::StateImage(State state, qreal pixelRatio) const
{
    const qreal ratio = pixelRatio > 0 ? pixelRatio : 1.0;
    const QPainterPath path = m_path.isEmpty() ? RoundedPath(size()) : m_path;
    QImage image(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    const QRect whole(QPoint(0, 0), size());
    if (m_skinsLoaded) {
        // The shape first, then the skin stretched into it: its smooth rim
        // carries over to the picture.
        painter.fillPath(path, Qt::black);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.drawPixmap(whole, m_skins[state]);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        painter.fillPath(path, m_colours[state]);
    }
    const QPalette& pal = palette();
    const int shift = state == Pressed ? m_pressOffset : 0;
    const QRect box = m_region.boundingRect().translated(shift, shift);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    painter.setFont(parentWidget() ? parentWidget()->font() : font());
    const QColor ink = CaptionColour(state);
    if (state == Disabled) {
        // The etched look where it helps: a light rim under dark text only.
        const QColor rim = pal.color(QPalette::Light);
        if (scriva::contrast::RelativeLuminance(ink) <
            scriva::contrast::RelativeLuminance(stateBackground(state).darkest)) {
            painter.setPen(rim);
            painter.drawText(box.translated(1, 1), flags, text());
        }
    }
    painter.setPen(ink);
    painter.drawText(box, flags, text());
    drawEdges(painter, state == Pressed);
    return image;
}

void CSkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The ratio of what is painted on: the screen's, or an image's when the
    // button is rendered into one.
    const QPaintDevice* target =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const qreal ratio = target ? target->devicePixelRatioF() : devicePixelRatioF();
    if (m_stale || m_imagesRatio != ratio || m_images[0].size() != size() * ratio)
        buildImages(ratio);
    painter.drawImage(QPoint(0, 0), m_images[CurrentState()]);
}
