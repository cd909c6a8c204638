// The skinned look of the window's controls: the flat menu (item sizes and colour rules,
// measured through a real menu, its column and selection, and a dark theme) and the
// toolbar's skin tiling, and the skinned button's smooth corners at scale 2.

#include "QtTestRegistry.h"
#include "app/widgets/CSkinButton.h"
#include "app/widgets/CSkinReBar.h"
#include "app/widgets/FlatMenuStyle.h"

#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

class SkinLookTest : public QObject
{
    Q_OBJECT
private slots:
    void colourRulesTruncate();
    void menuItemsAreMeasuredByTheFlatRules();
    void flatMenuPaintsItsColumnAndSelection();
    void flatMenuReadsInADarkTheme();
    void rebarTilesRepeatAndStayInsideTheBitmap();
    void rebarWithoutBitmapKeepsTheDesktopLook();
    void skinButtonCornersAreSmoothAtScaleTwo();
};

void SkinLookTest::skinButtonCornersAreSmoothAtScaleTwo()
{
    QWidget parent;
    CSkinButton button(QStringLiteral("Go"), &parent, 0, QColor(151, 244, 219),
                       QColor(211, 247, 254), QColor(211, 247, 254), QColor(200, 200, 200));
    button.resize(120, 40); // corner ellipse (10 + 20) wide: a radius of 15, 30 device pixels
    const QImage state = button.StateImage(CSkinButton::Normal, 2.0);
    QCOMPARE(state.size(), QSize(240, 80));
    QCOMPARE(state.devicePixelRatio(), 2.0);
    // The button painted onto a target of pixel ratio 2, as on a scale-2 screen.
    QImage target(240, 80, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2.0);
    target.fill(Qt::transparent);
    button.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    // Each corner's arc is edged with partly covered pixels; the very corner
    // stays clear and the middle is solid.
    const QRect corners[] = {QRect(0, 0, 30, 30), QRect(210, 0, 30, 30), QRect(0, 50, 30, 30),
                             QRect(210, 50, 30, 30)};
    for (const QRect& corner : corners) {
        int partial = 0;
        for (int y = corner.top(); y <= corner.bottom(); ++y)
            for (int x = corner.left(); x <= corner.right(); ++x) {
                const int alpha = qAlpha(target.pixel(x, y));
                partial += alpha > 0 && alpha < 255;
            }
        QVERIFY2(partial >= 20, qPrintable(QString::number(partial)));
    }
    QCOMPARE(qAlpha(target.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(target.pixel(239, 79)), 0);
    QCOMPARE(qAlpha(target.pixel(120, 40)), 255);
    // At scale 1 the same corner is still drawn smoothly, at its own size.
    QCOMPARE(button.StateImage(CSkinButton::Normal, 1.0).size(), QSize(120, 40));
}

void SkinLookTest::colourRulesTruncate()
{
    struct Case
    {
        QColor in;
        double factor;
        QColor darker, lighter;
    } cases[] = {
        {QColor(255, 255, 255), 0.02, QColor(249, 249, 249), QColor(255, 255, 255)},
        {QColor(100, 50, 0), 0.02, QColor(98, 49, 0), QColor(103, 54, 5)},
        {QColor(51, 153, 255), 0.7, QColor(15, 45, 76), QColor(193, 224, 255)},
        {QColor(0, 0, 0), 0.85, QColor(0, 0, 0), QColor(216, 216, 216)},
    };
    for (const Case& c : cases) {
        QCOMPARE(FlatMenuStyle::Darken(c.in, c.factor), c.darker);
        QCOMPARE(FlatMenuStyle::Lighten(c.in, c.factor), c.lighter);
    }
}

void SkinLookTest::menuItemsAreMeasuredByTheFlatRules()
{
    QCOMPARE(FlatMenuStyle::ItemSize(true, 500, 30), QSize(1, 3));
    QCOMPARE(FlatMenuStyle::ItemSize(false, 40, 19), QSize(40 + 16 + 7 + 8, 23));
    QCOMPARE(FlatMenuStyle::ItemSize(false, 40, 30), QSize(71, 30));

    // The real menu asks the style for every item's size.
    FlatMenuStyle style;
    QMenu menu;
    menu.setStyle(&style);
    QAction* open = menu.addAction(QStringLiteral("&Open..."));
    QAction* sep = menu.addSeparator();
    QAction* longer = menu.addAction(QStringLiteral("Save a &Copy as JPEG..."));
    menu.ensurePolished();
    menu.adjustSize();
    const QRect a = menu.actionGeometry(open);
    const QRect s = menu.actionGeometry(sep);
    QCOMPARE(s.height(), FlatMenuStyle::SeparatorHeight);
    QVERIFY(a.height() >= FlatMenuStyle::IconHeight + FlatMenuStyle::Margin);
    // Every label, and a shortcut beside it, fits the room it is drawn in.
    const QFontMetrics fm(menu.font());
    const int chrome = FlatMenuStyle::ColumnWidth + FlatMenuStyle::Margin * 3;
    QVERIFY(menu.actionGeometry(longer).width() - chrome >=
            fm.horizontalAdvance(QStringLiteral("Save a Copy as JPEG...")));
    QAction* shortcut = menu.addAction(QStringLiteral("Rotate Right 90\u00b0\tCtrl+R"));
    menu.adjustSize();
    QVERIFY(menu.actionGeometry(shortcut).width() - chrome >=
            fm.horizontalAdvance(QStringLiteral("Rotate Right 90\u00b0")) +
                fm.horizontalAdvance(QStringLiteral("Ctrl+R")) + fm.horizontalAdvance(' ') * 2);
}

void SkinLookTest::flatMenuPaintsItsColumnAndSelection()
{
    FlatMenuStyle style;
    QMenu menu;
    menu.setStyle(&style);
    QPalette pal = menu.palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 255));
    pal.setColor(QPalette::Highlight, QColor(51, 153, 255));
    menu.setPalette(pal);
    menu.addAction(QStringLiteral("First"));
    QAction* second = menu.addAction(QStringLiteral("Second"));
    menu.adjustSize();
    menu.setActiveAction(second);
    const QImage shot = menu.grab().toImage();
    const QRect first = menu.actionGeometry(menu.actions().at(0));
    const QRect sel = menu.actionGeometry(second);
    QCOMPARE(QColor(shot.pixel(first.left() + 3, first.center().y())), FlatMenuStyle::IconColumn);
    QCOMPARE(QColor(shot.pixel(first.right() - 3, first.top() + 1)), QColor(249, 249, 249));
    // Inside the selection frame, right of the text: the lightened highlight.
    QCOMPARE(QColor(shot.pixel(sel.right() - 6, sel.top() + 3)), QColor(193, 224, 255));
}

void SkinLookTest::flatMenuReadsInADarkTheme()
{
    FlatMenuStyle style;
    QMenu menu;
    menu.setStyle(&style);
    QPalette dark = menu.palette();
    dark.setColor(QPalette::Window, QColor(40, 42, 46));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(30, 80, 160));
    menu.setPalette(dark);
    QAction* plain = menu.addAction(QStringLiteral("MMMMMMMMMMMM"));
    QAction* chosen = menu.addAction(QStringLiteral("MMMMMMMMMMMM"));
    menu.adjustSize();
    menu.setActiveAction(chosen);
    const QImage shot = menu.grab().toImage();
    // The darkest and lightest pixel of each item's text area differ widely:
    // the text stands out from its background whether selected or not.
    for (QAction* action : {plain, chosen}) {
        const QRect r = menu.actionGeometry(action).adjusted(
            FlatMenuStyle::ColumnWidth + FlatMenuStyle::Margin, 3, -8, -3);
        int lo = 255, hi = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const int l = shot.pixelColor(x, y).lightness();
                lo = qMin(lo, l);
                hi = qMax(hi, l);
            }
        QVERIFY2(hi - lo > 120, qPrintable(QStringLiteral("%1..%2").arg(lo).arg(hi)));
    }
}

void SkinLookTest::rebarTilesRepeatAndStayInsideTheBitmap()
{
    const QSize bitmap(64, 48);
    const auto tiles = CSkinReBar::Tiles(QSize(200, 40), bitmap);
    int body = 0;
    for (const auto& t : tiles) {
        QVERIFY(QRect(QPoint(0, 0), bitmap).contains(t.source));
        if (t.target.y() == 0 && t.source.top() == 1)
            ++body;
    }
    QCOMPARE(body, 4); // 0, 64, 128, 192: side by side across 200 pixels
    // The bottom border comes from the bitmap's last row onto the bar's last row.
    bool bottom = false;
    for (const auto& t : tiles)
        bottom |= t.target.y() == 39 && t.source == QRect(0, 47, 64, 1);
    QVERIFY(bottom);
    // A bar taller than the bitmap still reads only rows the bitmap has.
    for (const auto& t : CSkinReBar::Tiles(QSize(50, 300), QSize(10, 3)))
        QVERIFY(QRect(0, 0, 10, 3).contains(t.source));
    QVERIFY(CSkinReBar::Tiles(QSize(50, 30), QSize(0, 30)).empty());
    QVERIFY(CSkinReBar::Tiles(QSize(50, 30), QSize(30, 0)).empty());
}

void SkinLookTest::rebarWithoutBitmapKeepsTheDesktopLook()
{
    QTemporaryDir dir;
    CSkinReBar bar;
    QVERIFY(!bar.LoadBackground(dir.filePath(QStringLiteral("missing.bmp"))));
    QVERIFY(!bar.HasBackground());
    QImage skin(8, 6, QImage::Format_RGB32);
    skin.fill(QColor(10, 20, 30));
    for (int x = 0; x < 8; ++x)
        skin.setPixel(x, 5, qRgb(200, 0, 0));
    const QString path = dir.filePath(QStringLiteral("back.bmp"));
    QVERIFY(skin.save(path, "BMP"));
    QVERIFY(bar.LoadBackground(path));
    bar.resize(50, 20);
    const QImage shot = bar.grab().toImage();
    QCOMPARE(QColor(shot.pixel(45, 3)), QColor(10, 20, 30)); // a repeated tile
    QCOMPARE(QColor(shot.pixel(45, 19)), QColor(200, 0, 0)); // the bottom border
}

SCRIVA_QTEST(SkinLookTest)
#include "test_skin_look.moc"
