#pragma once
// A push button with a rounded, non-rectangular shape and four state pictures
// (normal, pressed, hover, disabled) drawn from skin bitmaps when all four are
// given, else from fill colours, with etched edges and a centred caption. The
// shape is painted antialiased at the screen's pixel ratio (smooth corners at
// scale 2); the corners show the parent through. The caption's colour is the
// palette's button text where it reads on the state's picture, else moved
// towards black or white until it does (dark desktop palettes over light skins).
// The pictures are rendered on the first paint after creation, a resize or a
// change of pixel ratio and only copied afterwards. Clicks in the cut-off
// corners do not count. Emits the usual QAbstractButton signals.
// User-interface thread only.

#include "app/widgets/Contrast.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <array>

class CSkinButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum State { Normal, Pressed, Hover, Disabled, StateCount };

    CSkinButton(const QString& caption, QWidget* parent, int pressOffset, const QColor& normal,
                const QColor& pressed, const QColor& hover, const QColor& disabled);

    // Loads the four skin bitmaps; they replace the fill colours only when all
    // four load.
    bool LoadBitmaps(const QString& normal, const QString& pressed, const QString& hover,
                     const QString& disabled);
    bool SkinsLoaded() const { return m_skinsLoaded; }
    const QRegion& Region() const { return m_region; }
    bool IsHover() const { return m_hover; }
    State CurrentState() const;

    // The rounded shape for a button of the given size: corner ellipse
    // H/4 + H/2 wide and high; as a path (drawing) and in whole pixels (hits).
    static QPainterPath RoundedPath(const QSize& size);
    static QRegion RoundedRegion(const QSize& size);

    // The finished picture of a state at a device pixel ratio (transparent
    // outside the shape), and the colour its caption is drawn in.
    QImage StateImage(State state, qreal pixelRatio) const;
    QColor CaptionColour(State state) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void hoverTest(const QPoint& pos);
    void buildImages(qreal pixelRatio);
    // The lightest and darkest colour a state's caption may lie on.
    scriva::contrast::Extremes stateBackground(State state) const;
    void drawEdges(QPainter& painter, bool pressed) const;

    int m_pressOffset;
    std::array<QColor, StateCount> m_colours;
    std::array<QPixmap, StateCount> m_skins;
    std::array<QImage, StateCount> m_images;
    qreal m_imagesRatio = 0;
    bool m_skinsLoaded = false;
    bool m_hover = false;
    bool m_stale = true;
    QRegion m_region;
    QPainterPath m_path;
};
