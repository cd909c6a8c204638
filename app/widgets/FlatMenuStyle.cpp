#include "FlatMenuStyle.h"

#include "app/widgets/Contrast.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {

// The label's width, and a gap before the shortcut when there is one (the
// menu adds the shortcut column's own width).
int textWidthOf(const QStyleOptionMenuItem& item)
{
    const QString label = item.text.section(QLatin1Char('\t'), 0, 0);
    int width = item.fontMetrics.horizontalAdvance(QString(label).remove(QLatin1Char('&')));
    if (item.text.contains(QLatin1Char('\t')))
        width += item.fontMetrics.horizontalAdvance(QStringLiteral("    "));
    return width;
}

} // namespace

const QColor FlatMenuStyle::IconColumn(75, 178, 237);

FlatMenuStyle::FlatMenuStyle(QStyle* base) : QProxyStyle(base) {}

QColor FlatMenuStyle::Darken(const QColor& colour, double factor)
{
    auto down = [factor](int c) { return int(c - factor * c); };
    return QColor(down(colour.red()), down(colour.green()), down(colour.blue()));
}

QColor FlatMenuStyle::Lighten(const QColor& colour, double factor)
{
    auto up = [factor](int c) { return int(c + factor * (255 - c)); };
    return QColor(up(colour.red()), up(colour.green()), up(colour.blue()));
}

QColor FlatMenuStyle::SelectionColour(const QPalette& palette)
{
    return Lighten(palette.color(QPalette::Highlight), 0.7);
}

QColor FlatMenuStyle::TextColour(const QPalette& palette, QStyle::State state)
{
    namespace contrast = scriva::contrast;
    const bool enabled = state & State_Enabled;
    const QColor background = Darken(palette.color(QPalette::Window), 0.02);
    if (!enabled) {
        // The lightened grey of a disabled item, pushed on until it reads.
        const QColor grey = Lighten(palette.color(QPalette::Disabled, QPalette::WindowText), 0.4);
        return contrast::Readable(grey, background, contrast::kLarge);
    }
    // Menu texts are small: where the palette's own text does not read, the
    // replacement stands out clearly (7:1), not just barely.
    const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
    const QColor under = state & State_Selected ? SelectionColour(palette) : background;
    if (contrast::Ratio(text, under) >= contrast::kText)
        return text;
    return contrast::Readable(text, under, contrast::kEnhanced);
}

QSize FlatMenuStyle::ItemSize(bool separator, int textWidth, int menuHeight)
{
    // A separator takes the menu's width; 1 rather than 0, since the menu
    // drops items of no width altogether.
    if (separator)
        return {1, SeparatorHeight};
    return {textWidth + IconWidth + Margin + 8, qMax(menuHeight, IconHeight + Margin)};
}

int FlatMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                               const QWidget* widget) const
{
    if (metric == PM_SmallIconSize)
        return IconWidth;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize FlatMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                      const QSize& size, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    const bool separator = item->menuItemType == QStyleOptionMenuItem::Separator;
    const int menuHeight = item->fontMetrics.height() + 6;
    QSize sz = ItemSize(separator, textWidthOf(*item), menuHeight);
    if (!separator)
        sz.rwidth() += LabelRoom;
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu)
        sz.rwidth() += Margin * 2; // room for the arrow
    return sz;
}

void FlatMenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuItem && item) {
        painter->save();
        drawMenuItem(*item, painter, widget);
        painter->restore();
        return;
    }
    if (element == CE_MenuEmptyArea && option) {
        painter->fillRect(option->rect, Darken(option->palette.color(QPalette::Window), 0.02));
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void FlatMenuStyle::drawMenuItem(const QStyleOptionMenuItem& item, QPainter* painter,
                                 const QWidget* widget) const
{
    const QRect r = item.rect;
    const QColor background = Darken(item.palette.color(QPalette::Window), 0.02);
    painter->fillRect(r, background);
    painter->fillRect(QRect(r.left(), r.top(), ColumnWidth, r.height()), IconColumn);
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        drawSeparator(item, painter);
        return;
    }
    const bool enabled = item.state & State_Enabled;
    const bool selected = enabled && (item.state & State_Selected);
    const QColor ink = TextColour(item.palette, item.state);
    if (selected) {
        painter->setPen(item.palette.color(QPalette::Highlight));
        painter->setBrush(SelectionColour(item.palette));
        painter->drawRect(r.adjusted(1, 0, -2, -1));
    }
    drawCheck(item, painter);
    if (!item.icon.isNull()) {
        const QIcon::Mode mode = !enabled ? QIcon::Disabled : QIcon::Normal;
        const QPixmap pixmap = item.icon.pixmap(QSize(IconWidth, IconHeight), mode);
        const int x = r.left() + (ColumnWidth - IconWidth) / 2;
        const int y = r.top() + (r.height() - IconHeight) / 2;
        painter->drawPixmap(x, y, pixmap);
    }
    drawLabel(item, painter, ink);
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOptionMenuItem arrow = item;
        arrow.rect = QRect(r.right() - Margin * 2, r.top(), Margin * 2, r.height());
        arrow.palette.setColor(QPalette::ButtonText, ink);
        proxy()->drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
}

void FlatMenuStyle::drawSeparator(const QStyleOptionMenuItem& item, QPainter* painter) const
{
    const QRect r = item.rect;
    const int y = r.top() + r.height() / 2;
    const int x = r.left() + ColumnWidth + Margin;
    painter->setPen(item.palette.color(QPalette::Mid));
    painter->drawLine(x, y, r.right(), y);
    painter->setPen(item.palette.color(QPalette::Light));
    painter->drawLine(x, y + 1, r.right(), y + 1);
}

void FlatMenuStyle::drawCheck(const QStyleOptionMenuItem& item, QPainter* painter) const
{
    if (item.checkType == QStyleOptionMenuItem::NotCheckable || !item.checked)
        return;
    const bool selected = item.state & State_Selected;
    const QColor highlight = item.palette.color(QPalette::Highlight);
    const QRect box(item.rect.left() + 2, item.rect.top() + 2, ColumnWidth - 4,
                    item.rect.height() - 4);
    painter->setPen(highlight);
    painter->setBrush(Lighten(highlight, selected ? 0.55 : 0.85));
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    if (!item.icon.isNull())
        return;
    // A tick where the item has no icon of its own.
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(Qt::black, 1.6));
    const QPointF c = QRectF(box).center();
    painter->drawPolyline(QPolygonF({c + QPointF(-4, 0), c + QPointF(-1, 3), c + QPointF(4, -3)}));
}

void FlatMenuStyle::drawLabel(const QStyleOptionMenuItem& item, QPainter* painter,
                              const QColor& ink) const
{
    const QRect r = item.rect;
    const QRect textRect(r.left() + ColumnWidth + Margin, r.top(),
                         r.width() - ColumnWidth - Margin * 3, r.height());
    painter->setPen(ink);
    painter->setFont(item.font);
    const QString label = item.text.section(QLatin1Char('\t'), 0, 0);
    const QString shortcut = item.text.section(QLatin1Char('\t'), 1);
    const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
    painter->drawText(textRect, flags | Qt::AlignLeft, label);
    if (!shortcut.isEmpty())
        painter->drawText(textRect, flags | Qt::AlignRight, shortcut);
}
