// The main frame's own look over the real English pack: every menu popup in
// the flat style, menu icons from the icon strip for commands without a
// toolbar button, the toolbar on its skin; the fallbacks when the skin
// bitmaps are missing (fill colours, the desktop's toolbar); and every pane,
// button and menu readable under a dark desktop palette.

#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CLeftFormView.h"
#include "app/frame/MainStatusBar.h"
#include "app/frame/MainToolBar.h"
#include "app/shell/DesktopScheme.h"
#include "app/widgets/CSkinButton.h"
#include "app/widgets/CSkinReBar.h"
#include "app/widgets/Contrast.h"
#include "app/widgets/FlatMenuStyle.h"

#include "ocr/ui/CRecognizeView.h"
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStyleFactory>
#include <map>

using namespace frametest;

class FrameSkinTest : public QObject
{
    Q_OBJECT
private slots:
    void menusToolbarAndButtonsWearTheSkin();
    void missingSkinFilesFallBack();
    void panesAndButtonsReadUnderADarkPalette();
    void disabledMenuItemsStayLegible();
};

namespace {
// How well text stands out in a picture of it: the commonest colour of the
// area is its background, and the ratio is that of the pixel standing out most.
struct Legibility
{
    QColor background;
    double ratio = 1.0;
    int inkPixels = 0; // pixels at least 3:1 from the background
};

Legibility legibility(const QImage& shot, const QRect& area)
{
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAlpha(shot.pixel(x, y)) == 255)
                ++counts[shot.pixel(x, y)];
    Legibility l;
    int most = 0;
    for (const auto& [rgb, n] : counts) {
        if (n > most) {
            most = n;
            l.background = QColor(rgb);
        }
    }
    for (const auto& [rgb, n] : counts) {
        const double r = scriva::contrast::Ratio(QColor(rgb), l.background);
        l.ratio = std::max(l.ratio, r);
        if (r >= 3.0)
            l.inkPixels += n;
    }
    return l;
}

QString describe(const char* what, const Legibility& l)
{
    return QStringLiteral("%1: %2 on %3, %4 ink pixels")
        .arg(QLatin1String(what))
        .arg(l.ratio)
        .arg(l.background.name())
        .arg(l.inkPixels);
}

// The application's palette for as long as it lives.
struct AppPalette
{
    QPalette saved = QApplication::palette();
    explicit AppPalette(const QPalette& p) { QApplication::setPalette(p); }
    ~AppPalette() { QApplication::setPalette(saved); }
};

// A font whose strokes are several pixels wide, so that a caption's pixels reach its colour.
QFont largeFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(22);
    font.setBold(true);
    return font;
}
} // namespace

void FrameSkinTest::panesAndButtonsReadUnderADarkPalette()
{
    AppPalette dark(scriva::desktop::DarkPalette());
    Fixture f;
    f.frame->leftForm()->setFont(largeFont());
    f.frame->leftForm()->resize(f.frame->leftForm()->width(), 300);
    QCoreApplication::processEvents();
    // Every skinned button, in the state it is in and in all four.
    for (int id : CLeftFormView::ButtonIds) {
        CSkinButton* button = f.frame->leftForm()->button(id);
        QVERIFY(button->SkinsLoaded());
        const QImage shot = button->grab().toImage();
        const QRect inner = shot.rect().adjusted(shot.height() / 3, 4, -shot.height() / 3, -4);
        const Legibility l = legibility(shot, inner);
        const double wanted =
            button->isEnabled() ? scriva::contrast::kText : scriva::contrast::kLarge;
        QVERIFY2(l.ratio >= wanted && l.inkPixels > 20, qPrintable(describe("button", l)));
        for (int state = 0; state < CSkinButton::StateCount; ++state) {
            const QImage image = button->StateImage(CSkinButton::State(state), 1.0);
            const Legibility s = legibility(image, inner);
            const double need =
                state == CSkinButton::Disabled ? scriva::contrast::kLarge : scriva::contrast::kText;
            QVERIFY2(s.ratio >= need && s.inkPixels > 20, qPrintable(describe("state", s)));
        }
    }
    // The text pane and the status bar draw from the palette.
    CRecognizeView* text = f.frame->recognizeView();
    f.frame->ShowResultPane(true);
    text->setFont(largeFont());
    text->setPlainText(QStringLiteral("HHHH MMMM"));
    QCoreApplication::processEvents();
    const QImage textShot = text->viewport()->grab().toImage();
    const Legibility t =
        legibility(textShot, QRect(0, 0, std::min(200, textShot.width()), 40) & textShot.rect());
    QVERIFY2(t.ratio >= scriva::contrast::kText && t.inkPixels > 20,
             qPrintable(describe("text pane", t)));
    auto* pane = f.frame->statusBarPanes()->findChild<QLabel*>(QStringLiteral("id_59145"));
    QVERIFY(pane);
    pane->setFont(largeFont());
    pane->setText(QStringLiteral("HHHH"));
    pane->adjustSize();
    const QImage paneShot = pane->grab().toImage();
    const Legibility p = legibility(paneShot, paneShot.rect());
    QVERIFY2(p.ratio >= scriva::contrast::kText, qPrintable(describe("status pane", p)));
    // The menu bar's own popups: items read, enabled or not.
    QMenu* first = nullptr;
    for (QMenu* menu : f.frame->menuBar()->findChildren<QMenu*>()) {
        if (!menu->title().isEmpty()) {
            first = menu;
            break;
        }
    }
    QVERIFY(first);
    first->setFont(largeFont());
    first->ensurePolished();
    first->adjustSize();
    const QImage menuShot = first->grab().toImage();
    for (QAction* action : first->actions()) {
        if (action->isSeparator() || action->text().isEmpty())
            continue;
        const QRect r = first->actionGeometry(action).adjusted(
            FlatMenuStyle::ColumnWidth + FlatMenuStyle::Margin, 1, -4, -1);
        const Legibility m = legibility(menuShot, r & menuShot.rect());
        const double need =
            action->isEnabled() ? scriva::contrast::kText : scriva::contrast::kLarge;
        QVERIFY2(m.ratio >= need, qPrintable(describe(qPrintable(action->text()), m)));
    }
}

void FrameSkinTest::disabledMenuItemsStayLegible()
{
    // Under Fusion's own light palette and under the dark one.
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    QVERIFY(fusion);
    for (const QPalette& palette : {fusion->standardPalette(), scriva::desktop::DarkPalette()}) {
        FlatMenuStyle style;
        QMenu menu;
        menu.setStyle(&style);
        menu.setPalette(palette);
        menu.setFont(largeFont());
        QAction* on = menu.addAction(QStringLiteral("HHHHHH"));
        QAction* off = menu.addAction(QStringLiteral("HHHHHH"));
        off->setEnabled(false);
        QAction* chosen = menu.addAction(QStringLiteral("HHHHHH"));
        menu.adjustSize();
        menu.setActiveAction(chosen);
        const QImage shot = menu.grab().toImage();
        for (QAction* action : {on, off, chosen}) {
            const QRect r = menu.actionGeometry(action).adjusted(
                FlatMenuStyle::ColumnWidth + FlatMenuStyle::Margin, 3, -6, -3);
            const Legibility l = legibility(shot, r);
            const double need = action == off ? 3.0 : 4.5;
            QVERIFY2(l.ratio >= need && l.inkPixels > 20, qPrintable(describe("item", l)));
        }
        // The colour the style picks for a disabled item, on the menu's own background.
        const QColor background = FlatMenuStyle::Darken(palette.color(QPalette::Window), 0.02);
        QVERIFY(scriva::contrast::Ratio(FlatMenuStyle::TextColour(palette, QStyle::State_None),
                                        background) >= 3.0);
    }
}

void FrameSkinTest::menusToolbarAndButtonsWearTheSkin()
{
    Fixture f;
    int popups = 0;
    for (QMenu* menu : f.frame->menuBar()->findChildren<QMenu*>()) {
        if (menu->title().isEmpty())
            continue; // the bar's own overflow menu
        QVERIFY2(qobject_cast<FlatMenuStyle*>(menu->style()), qPrintable(menu->title()));
        ++popups;
    }
    QVERIFY(popups >= 10); // eight popups, recent files, adjust, language
    // New and Exit have no toolbar button: their icons come from the strip.
    QVERIFY(!f.frame->actions().find(scriva::cmd::kFileNew)->icon().isNull());
    QVERIFY(!f.frame->actions().find(scriva::cmd::kExit)->icon().isNull());
    QVERIFY(f.frame->toolBar()->HasBackground());
    // The shipped bar picture tiles without seams between its copies.
    CSkinReBar bar;
    QVERIFY(bar.LoadBackground(englishPack().FilePath(QStringLiteral("skin/toolBarBack.bmp"))));
    bar.resize(300, 40);
    const QImage tiled = bar.grab().toImage();
    for (int x = 1; x < 300; ++x)
        QCOMPARE(tiled.pixelColor(x, 20), tiled.pixelColor(0, 20));
    QVERIFY(f.frame->leftForm()->button(scriva::cmd::kTakePhoto)->SkinsLoaded());
}

void FrameSkinTest::missingSkinFilesFallBack()
{
    CScrivaDoc doc;
    Recorder rec;
    TestFrameServices services(rec);
    services.skinFile = [](scriva::settings::Key key) {
        return QStringLiteral("/nonexistent/skin/") + QLatin1String(key.name) + ".bmp";
    };
    CMainFrame frame(services, doc);
    frame.resize(1024, 768);
    frame.show();
    QCoreApplication::processEvents();
    QVERIFY(!frame.toolBar()->HasBackground());
    CSkinButton* button = frame.leftForm()->button(scriva::cmd::kTakePhoto);
    QVERIFY(!button->SkinsLoaded());
    // The button is drawn in its fill colour, not as an empty black picture.
    const QImage shot = button->grab().toImage();
    const QColor middle = shot.pixelColor(shot.width() / 2, 4);
    QVERIFY2(middle.lightness() > 150, qPrintable(middle.name()));
}

SCRIVA_QTEST(FrameSkinTest)
#include "test_frame_skin.moc"
