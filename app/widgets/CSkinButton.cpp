#include "app/widgets/CSkinButton.h"

#include <QMouseEvent>
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

QRegion CSkinButton::RoundedRegion(const QSize& size)
{
    const int h = size.height();
    // Whole-pixel quarter and half of the height, as the button shape was drawn.
    const qreal corner = (h / 4 + h / 2) / 2.0; // NOLINT(bugprone-integer-division)
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), h), corner, corner);
    return QRegion(path.toFillPolygon().toPolygon());
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
    m_region = RoundedRegion(size());
    setMask(m_region);
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

void CSkinButton::buildImages()
{
    for (int i = 0; i < StateCount; ++i)
        m_images[i] = buildImage(State(i));
    m_stale = false;
}

void CSkinButton::drawEdges(QPainter& painter, bool pressed) const
{
    const QPalette& pal = palette();
    auto edge = [&](int d, const QColor& colour) {
        const QRegion band = m_region.subtracted(m_region.translated(d, d));
        for (const QRect& r : band)
            painter.fillRect(r, colour);
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

QPixmap CSkinButton::buildImage(State state) const
{
    QPixmap image(size());
    image.fill(Qt::black);
    QPainter painter(&image);
    if (m_skinsLoaded) {
        painter.drawPixmap(image.rect(), m_skins[state]);
    } else {
        painter.setClipRegion(m_region);
        painter.fillRect(image.rect(), m_colours[state]);
        painter.setClipping(false);
    }
    const QPalette& pal = palette();
    const int shift = state == Pressed ? m_pressOffset : 0;
    const QRect box = m_region.boundingRect().translated(shift, shift);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    painter.setFont(parentWidget() ? parentWidget()->font() : font());
    if (state == Disabled) {
        painter.setPen(pal.color(QPalette::Light));
        painter.drawText(box.translated(1, 1), flags, text());
        painter.setPen(pal.color(QPalette::Dark));
    } else {
        painter.setPen(pal.color(QPalette::ButtonText));
    }
    painter.drawText(box, flags, text());
    drawEdges(painter, state == Pressed);
    return image;
}

void CSkinButton::paintEvent(QPaintEvent*)
{
    if (m_stale || m_images[0].size() != size())
        buildImages();
    QPainter painter(this);
    painter.setClipRegion(m_region);
    painter.drawPixmap(0, 0, m_images[CurrentState()]);
}
