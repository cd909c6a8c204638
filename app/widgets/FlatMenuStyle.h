#pragma once
// The program's flat menu look: a light background, a coloured column at the
// left for icons and check marks, a tinted selection with a frame and etched
// separators. Texts keep the palette's colours where they read and are moved
// towards black or white where they would not (a dark palette under the light
// selection); disabled items keep a contrast of at least 3:1. Set on the main menu's popups and on
// the thumbnail menu; other widgets keep the desktop's style. User-interface thread only.

#include <QColor>
#include <QProxyStyle>

class FlatMenuStyle : public QProxyStyle
{
    Q_OBJECT
public:
    static constexpr int IconWidth = 16;
    static constexpr int IconHeight = 16;
    // Room around the icon and beside the text (with extra accelerator spacing).
    static constexpr int Margin = 7;
    static constexpr int SeparatorHeight = 3;
    static constexpr int ColumnWidth = IconWidth + Margin;
    static const QColor IconColumn;
    // Room the label is drawn with (the column, a margin before it and two
    // after it) beyond what the measured size gives it; added to every item
    // so that no label or shortcut is cut.
    static constexpr int LabelRoom = ColumnWidth + Margin * 3 - (IconWidth + Margin + 8);

    explicit FlatMenuStyle(QStyle* base = nullptr);

    // c - f x c and c + f x (255 - c) per channel, truncated.
    static QColor Darken(const QColor& colour, double factor);
    static QColor Lighten(const QColor& colour, double factor);
    // The selection's fill and the colour an item's text is drawn in.
    static QColor SelectionColour(const QPalette& palette);
    static QColor TextColour(const QPalette& palette, QStyle::State state);
    // Size of one item whose label and shortcut are `textWidth` wide, with the
    // system's menu height `menuHeight`.
    static QSize ItemSize(bool separator, int textWidth, int menuHeight);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    void drawMenuItem(const class QStyleOptionMenuItem& item, QPainter* painter,
                      const QWidget* widget) const;
    void drawSeparator(const QStyleOptionMenuItem& item, QPainter* painter) const;
    void drawCheck(const QStyleOptionMenuItem& item, QPainter* painter) const;
    void drawLabel(const QStyleOptionMenuItem& item, QPainter* painter, const QColor& ink) const;
};
