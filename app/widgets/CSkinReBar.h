#pragma once
// The bar behind the main toolbar, painted from the skin bitmap `toolBarBack`:
// the bitmap tiled side by side across the bar, its top rows as the top
// border and its last row as the bottom border. Without the bitmap the bar
// keeps the desktop's own look. User-interface thread only.

#include <QPixmap>
#include <QToolBar>
#include <vector>

class CSkinReBar : public QToolBar
{
    Q_OBJECT
public:
    struct TileCopy
    {
        QRect source; // in the bitmap, always inside it
        QPoint target;
    };
    // The copies that cover a bar of `bar` size from a bitmap of `bitmap` size:
    // the background tiles (the bitmap from its second row down), then the
    // top border (its first two rows) and the bottom border (its last row).
    static std::vector<TileCopy> Tiles(const QSize& bar, const QSize& bitmap);

    explicit CSkinReBar(QWidget* parent = nullptr);
    // An unreadable or missing file leaves the desktop's look.
    bool LoadBackground(const QString& path);
    bool HasBackground() const { return !m_background.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_background;
};
