// Drawing in presenter mode in the running program, over a white live camera
// picture: P and a mouse stroke put red ink where the mouse went; the ink
// stays on the same page point after zooming with + and panning with the
// mouse; Ctrl+Z takes it back, Delete clears; the highlighter lies beneath the
// pen; C changes the colour; Ctrl+S saves the live picture, then the frozen
// one, then the turned one, with the drawing as new photos that the thumbnail
// column lists, never replacing a file; leaving and coming back keeps the
// drawing until it is cleared.

#include "AppTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/frame/PresenterCommands.h"
#include "app/shell/CScrivaApp.h"
#include "capture_view/InkDrawing.h"
#include "capture_view/ui/CVideoView.h"
#include "capture_view/ui/PresenterInk.h"
#include "capture_view/ui/PresenterWindow.h"
#include "config/CommandIds.h"
#include "config/SettingsKeys.h"
#include "thumbs/ui/CThumbView.h"

#include <QAction>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace settings = scriva::settings;
namespace cmd = scriva::cmd;

class TestPresenterDrawing : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "HOME",
                               "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    QString folder() const { return m_home->path() + "/Documents/Scriva"; }
    QStringList photos() const { return QDir(folder()).entryList(QDir::Files, QDir::Name); }

    // The colour the pane shows at a page point.
    static QRgb shownAt(PresenterView* view, QPointF page)
    {
        const QImage shown = view->grab().toImage();
        const QPoint at = view->Transform().PageToWidget(page).toPoint();
        return shown.pixel(at);
    }
    // A stroke with the left button through page points.
    static void stroke(PresenterView* view, std::initializer_list<QPointF> page)
    {
        QPoint last;
        bool first = true;
        for (const QPointF& p : page) {
            last = view->Transform().PageToWidget(p).toPoint();
            if (first)
                QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, last);
            else
                QTest::mouseMove(view, last);
            first = false;
        }
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, last);
    }
    static QRgb photoAt(const CxImage& photo, int x, int y)
    {
        const RGBQUAD c = photo.GetPixelColor(x, int(photo.GetHeight()) - 1 - y);
        return qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    CxImage loadPhoto(const QString& name) const
    {
        CxImage photo;
        photo.Load(QFile::encodeName(folder() + "/" + name).toStdString());
        return photo;
    }

private slots:
    void cleanup() { m_home.reset(); }

    void drawsKeepsInkOnThePageUndoesClearsAndSavesWithTheDrawing()
    {
        m_home =
            apptest::freshDesktopHome("gst:videotestsrc is-live=true pattern=white ! "
                                      "video/x-raw,format=BGR,width=640,height=480,framerate=15/1");
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
        QVERIFY(frame);
        settings::WriteString(app.settings(), settings::kPhotoFormat, QStringLiteral("png"));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        PresenterCommands& presenter = frame->presenter();
        QTest::keyClick(frame, Qt::Key_F11);
        QVERIFY(presenter.IsPresenting());
        PresenterWindow* window = presenter.Window();
        PresenterView* live = window->LiveView();
        QTRY_VERIFY_WITH_TIMEOUT(live->HasPicture() && live->PaintCount() > 1, 10000);
        QCOMPARE(live->Transform().FrameSize(), QSize(640, 480));
        const QRgb white = qRgb(255, 255, 255);
        const QRgb red = InkDrawing::Shade(InkDrawing::Tool::Pen, InkDrawing::Colour::Red).rgb();
        const QRgb yellow =
            InkDrawing::Shade(InkDrawing::Tool::Highlighter, InkDrawing::Colour::Yellow).rgb();
        const QPointF mid(320, 240);
        const QPointF below(320, 300);
        QCOMPARE(shownAt(live, mid), white);

        // Without a tool the left button pans; P takes the pen and the button shows it.
        auto* penButton =
            window->findChild<QToolButton*>(QStringLiteral("presenter_%1").arg(cmd::kPresenterPen));
        QVERIFY(penButton);
        QVERIFY(!penButton->isChecked());
        QTest::keyClick(window, Qt::Key_P);
        QVERIFY(penButton->isChecked());
        stroke(live, {QPointF(200, 240), mid, QPointF(440, 240)});
        QCOMPARE(shownAt(live, mid), red);
        QCOMPARE(shownAt(live, below), white);

        // Zoomed in with +, the ink is still on the page point, and wider.
        QTest::keyClick(window, Qt::Key_Plus);
        QTest::keyClick(window, Qt::Key_Plus);
        QVERIFY(!live->Transform().IsFit());
        QCOMPARE(shownAt(live, mid), red);
        QCOMPARE(shownAt(live, below), white);
        // P again puts the pen down: the mouse pans, and the ink goes with the page.
        QTest::keyClick(window, Qt::Key_P);
        QVERIFY(!penButton->isChecked());
        const QPointF panBefore = live->Transform().Pan();
        stroke(live, {QPointF(330, 250), QPointF(300, 230)});
        QVERIFY(live->Transform().Pan() != panBefore);
        QCOMPARE(shownAt(live, mid), red);
        QCOMPARE(presenter.Ink()->Ink().Strokes().size(), size_t(1));
        QTest::keyClick(window, Qt::Key_0);
        QVERIFY(live->Transform().IsFit());

        // Ctrl+Z takes the stroke back; Delete clears two.
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shownAt(live, mid), white);
        QTest::keyClick(window, Qt::Key_P);
        stroke(live, {QPointF(200, 240), QPointF(440, 240)});
        stroke(live, {QPointF(320, 100), QPointF(320, 380)});
        QCOMPARE(presenter.Ink()->Ink().Strokes().size(), size_t(2));
        QTest::keyClick(window, Qt::Key_Delete);
        QVERIFY(presenter.Ink()->IsEmpty());
        QCOMPARE(shownAt(live, mid), white);
        QCOMPARE(shownAt(live, QPointF(320, 150)), white);

        // The pen, then the highlighter across it: the pen stays on top.
        stroke(live, {QPointF(200, 240), QPointF(440, 240)});
        QTest::keyClick(window, Qt::Key_H);
        QVERIFY(!penButton->isChecked());
        stroke(live, {QPointF(320, 120), QPointF(320, 360)});
        QCOMPARE(shownAt(live, mid), red);
        QCOMPARE(shownAt(live, QPointF(320, 150)), yellow);
        // C gives the highlighter its next colour (red's lighter shade).
        QTest::keyClick(window, Qt::Key_C);
        QCOMPARE(presenter.Ink()->Colour(), InkDrawing::Colour::Red);
        stroke(live, {QPointF(100, 400), QPointF(200, 400)});
        QCOMPARE(shownAt(live, QPointF(150, 400)),
                 InkDrawing::Shade(InkDrawing::Tool::Highlighter, InkDrawing::Colour::Red).rgb());

        // Ctrl+S: the live picture with the drawing, full size, a new listed photo.
        QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(photos(), QStringList{"IMG_1.png"});
        CxImage photo = loadPhoto("IMG_1.png");
        QCOMPARE(int(photo.GetWidth()), 640);
        QCOMPARE(int(photo.GetHeight()), 480);
        QCOMPARE(photoAt(photo, 320, 240), red);
        QCOMPARE(photoAt(photo, 320, 150), yellow);
        QCOMPARE(photoAt(photo, 50, 50), white);
        QCOMPARE(frame->thumbView()->SelectedPath(), folder() + "/IMG_1.png");

        // Frozen: the frozen frame with the drawing. A file that took the next
        // name meanwhile is not replaced.
        QVERIFY(apptest::writeBytes(folder() + "/IMG_2.png", "not ours"));
        QTest::keyClick(window, Qt::Key_Space);
        QVERIFY(live->IsFrozen());
        QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(photos(), (QStringList{"IMG_1.png", "IMG_2.png", "IMG_2_2.png"}));
        QCOMPARE(apptest::fileBytes(folder() + "/IMG_2.png"), QByteArray("not ours"));
        photo = loadPhoto("IMG_2_2.png");
        QCOMPARE(photoAt(photo, 320, 240), red);
        QCOMPARE(photoAt(photo, 50, 50), white);
        QTest::keyClick(window, Qt::Key_Space);
        QVERIFY(!live->IsFrozen());

        // Turned a quarter clockwise: the ink turns with the page, in the photo too.
        QTest::keyClick(window, Qt::Key_R);
        QCOMPARE(live->Transform().Turn(), 90);
        QCOMPARE(shownAt(live, mid), red);
        QCOMPARE(shownAt(live, QPointF(320, 150)), yellow);
        QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
        photo = loadPhoto("IMG_3.png");
        QCOMPARE(int(photo.GetWidth()), 480);
        QCOMPARE(int(photo.GetHeight()), 640);
        // Page (x, y) lies at (479 - y, x) once turned clockwise.
        QCOMPARE(photoAt(photo, 479 - 240, 320), red);
        QCOMPARE(photoAt(photo, 479 - 150, 320), yellow);
        QCOMPARE(photoAt(photo, 479 - 240, 250), red);
        QCOMPARE(photoAt(photo, 479 - 400, 250), white);
        QTest::keyClick(window, Qt::Key_R);
        QTest::keyClick(window, Qt::Key_R);
        QTest::keyClick(window, Qt::Key_R);

        // An Esc by mistake loses nothing: F11 again shows the same drawing
        // with the tool still in hand; Delete clears it for good.
        const size_t strokes = presenter.Ink()->Ink().Strokes().size();
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!presenter.IsPresenting());
        QCOMPARE(presenter.Ink()->Ink().Strokes().size(), strokes);
        // View > Presenter Mode again, once the image view is back.
        QTRY_VERIFY(frame->actions().action(cmd::kPresenterMode)->isEnabled());
        frame->actions().action(cmd::kPresenterMode)->trigger();
        QVERIFY(presenter.IsPresenting());
        window = presenter.Window();
        live = window->LiveView();
        QTRY_VERIFY_WITH_TIMEOUT(live->HasPicture() && live->PaintCount() > 1, 10000);
        QCOMPARE(shownAt(live, mid), red);
        QCOMPARE(shownAt(live, QPointF(320, 150)), yellow);
        auto* highlighterButton = window->findChild<QToolButton*>(
            QStringLiteral("presenter_%1").arg(cmd::kPresenterHighlighter));
        QVERIFY(highlighterButton);
        QVERIFY(highlighterButton->isChecked());
        QTest::keyClick(window, Qt::Key_Delete);
        QCOMPARE(shownAt(live, mid), white);
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!presenter.IsPresenting());
        // View > Presenter Mode again, once the image view is back.
        QTRY_VERIFY(frame->actions().action(cmd::kPresenterMode)->isEnabled());
        frame->actions().action(cmd::kPresenterMode)->trigger();
        QVERIFY(presenter.IsPresenting());
        QVERIFY(presenter.Ink()->IsEmpty());
        QTest::keyClick(presenter.Window(), Qt::Key_Escape);
    }
};

SCRIVA_QTEST(TestPresenterDrawing)
#include "test_presenter_drawing.moc"
