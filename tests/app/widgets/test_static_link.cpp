// The web address of the About box as a keyboard user meets it: reached with
// Tab, opened with Space or Enter (through the desktop's URL handling, caught
// here), and drawn in a shade that reads on a dark dialog.

#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/shell/AboutDialog.h"
#include "app/shell/DesktopScheme.h"
#include "app/widgets/CStaticLink.h"
#include "app/widgets/Contrast.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QTest>
#include <QUrl>

class LinkOpenCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class StaticLinkTest : public QObject
{
    Q_OBJECT
private slots:
    void aboutLinkIsReachedAndOpenedWithTheKeyboard();
    void linkReadsOnADarkDialog();
};

void StaticLinkTest::aboutLinkIsReachedAndOpenedWithTheKeyboard()
{
    LinkOpenCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    AboutDialog dialog(frametest::englishPack(), QStringLiteral("https://scriva.example/"),
                       QStringLiteral("1.0"), QStringLiteral("5.3"));
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* link = dialog.findChild<CStaticLink*>(QStringLiteral("id_1082"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("id_1"));
    QVERIFY(link && ok);
    // From the OK button, Tab (or Shift+Tab) reaches the link.
    ok->setFocus();
    QVERIFY(ok->hasFocus());
    for (int i = 0; i < 4 && !link->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(link->hasFocus());
    QTest::keyClick(link, Qt::Key_Space);
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("https://scriva.example/"))});
    QCOMPARE(link->LinkColour(), CStaticLink::Visited);
    // Enter opens it too, and leaves the box open (it is not the OK button's Enter).
    QTest::keyClick(link, Qt::Key_Return);
    QCOMPARE(catcher.opened.size(), 2);
    QVERIFY(dialog.isVisible());
    // Its focus is drawn: the focused link differs from the unfocused one.
    const QImage focused = link->grab().toImage();
    ok->setFocus();
    const QImage plain = link->grab().toImage();
    QVERIFY(focused != plain);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void StaticLinkTest::linkReadsOnADarkDialog()
{
    QWidget dialog;
    dialog.setPalette(scriva::desktop::DarkPalette());
    CStaticLink link(QStringLiteral("https://scriva.example/"), QString(), &dialog);
    const QColor back = dialog.palette().color(QPalette::Window);
    QVERIFY(scriva::contrast::Ratio(link.ShownColour(), back) >= scriva::contrast::kText);
    QCOMPARE(link.palette().color(QPalette::WindowText), link.ShownColour());
    // Still a blue link, only lighter; on a light dialog the classic blue stays.
    QVERIFY(link.ShownColour().blue() > link.ShownColour().red());
    QWidget light;
    QPalette pal = light.palette();
    pal.setColor(QPalette::Window, Qt::white);
    light.setPalette(pal);
    CStaticLink classic(QStringLiteral("x"), QString(), &light);
    QCOMPARE(classic.ShownColour(), CStaticLink::Unvisited);
}

SCRIVA_QTEST(StaticLinkTest)
#include "test_static_link.moc"
