// The main frame's own look over the real English pack: every menu popup in
// the flat style, menu icons from the icon strip for commands without a
// toolbar button, the toolbar on its skin; and the fallbacks when the skin
// bitmaps are missing (fill colours, the desktop's toolbar).

#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CLeftFormView.h"
#include "app/frame/MainToolBar.h"
#include "app/widgets/CSkinButton.h"
#include "app/widgets/CSkinReBar.h"
#include "app/widgets/FlatMenuStyle.h"

#include <QMenuBar>

using namespace frametest;

class FrameSkinTest : public QObject
{
    Q_OBJECT
private slots:
    void menusToolbarAndButtonsWearTheSkin();
    void missingSkinFilesFallBack();
};

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
