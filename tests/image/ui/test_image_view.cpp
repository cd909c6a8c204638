// The image view on a real document, driven by real mouse and wheel events:
// crop by rectangle at zoom 2, lasso triangle and shift-rectangle, text placed,
// moved and undone through the text dialog, the undo history's eight steps,
// wheel zoom about the cursor, the hatched margin, drag-out and the
// double-click to the camera view.

#include "QtTestRegistry.h"
#include "image/CScrivaDoc.h"
#include "image/ViewGeometry.h"
#include "image/ui/CScrivaView.h"
#include "image/ui/TextDialog.h"
#include "tests/common/TestWindowServices.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

CxImage gradient(int w, int h)
{
    CxImage image(uint32_t(w), uint32_t(h), 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixelColor(x, y, RGBQUAD{uint8_t(x % 200), uint8_t(y % 200), 40, 0});
    return image;
}

// Colour of image point (x, y), y from the top.
RGBQUAD at(const CxImage& image, int x, int y)
{
    return image.GetPixelColor(x, int(image.GetHeight()) - 1 - y);
}

// The windows around the view's document: right-area switches and confirmed
// preset areas counted.
struct ViewHost : DocumentHost
{
    int switches = 0;
    int confirmed = 0;
    void SwitchRightPaneLater() override { ++switches; }
    void PresetAreaConfirmed() override { ++confirmed; }
};

} // namespace

class ImageViewTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CScrivaDoc> m_doc;
    std::unique_ptr<CScrivaView> m_view;
    ViewHost m_host;
    TestWindowServices m_window; // texts "string <id>"; its boxes are the questions

    QWidget* port() const { return m_view->viewport(); }

    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QPointF local(pos);
        QMouseEvent event(type, local, port()->mapToGlobal(local), button, buttons, mods);
        QApplication::sendEvent(port(), &event);
    }
    void press(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, m);
    }
    void move(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, m);
    }
    void release(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, m);
    }
    void doubleClick(QPoint p)
    {
        press(p);
        release(p);
        send(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
        release(p);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        press(from, m);
        for (int i = 1; i <= 4; ++i)
            move(from + (to - from) * i / 4, m);
        release(to, m);
    }
    void wheel(QPoint p, int delta)
    {
        QWheelEvent event(QPointF(p), port()->mapToGlobal(QPointF(p)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(port(), &event);
    }
    QString writeImage(const QString& name, const CxImage& image, int format)
    {
        const QString path = m_dir.filePath(name);
        CxImage copy(image);
        copy.Save(QFile::encodeName(path).toStdString(), uint32_t(format));
        return path;
    }
    const CxImage& image() const { return *m_doc->GetImage(); }
    QPoint scroll() const { return m_view->ScrollPosition(); }

private slots:
    void init()
    {
        m_doc = std::make_unique<CScrivaDoc>();
        m_host = ViewHost();
        m_window.texts = [](int id) { return QStringLiteral("string %1").arg(id); };
        m_window.answer = IWindowServices::Yes;
        m_window.boxes.clear();
        m_doc->SetHost(m_host, m_window);
        m_view = std::make_unique<CScrivaView>(*m_doc);
        m_view->resize(640, 480);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_host.switches = 0;
        m_window.boxes.clear();
    }
    void cleanup()
    {
        m_view.reset();
        m_doc.reset();
    }

    void opensAtFitZoomOnTheHatchedBackground()
    {
        QVERIFY(m_doc->OpenDocument(writeImage(QStringLiteral("fit.bmp"), gradient(320, 200), 1)));
        const QSize client = m_view->ClientSize();
        const QSize zoomed(int(320 * m_doc->Zoom()), int(200 * m_doc->Zoom()));
        QVERIFY(zoomed.width() <= client.width() && zoomed.height() <= client.height());
        QCOMPARE(m_doc->Zoom(), scriva::view::FitZoom(client.width(), client.height(), 320, 200));
        QVERIFY(m_doc->Zoom() > 1.5f);
        const QImage shot = port()->grab().toImage();
        // Inside the picture: its own pixel; in the margin: white or the hatch grey.
        const RGBQUAD p = at(image(), 10, 10);
        const QPoint inside(int(10 * m_doc->Zoom()) + 1, int(10 * m_doc->Zoom()) + 1);
        const QColor c = shot.pixelColor(inside);
        QCOMPARE(c.red(), int(p.rgbRed));
        QCOMPARE(c.green(), int(p.rgbGreen));
        int grey = 0, white = 0;
        for (int x = zoomed.width() + 2; x < client.width(); ++x) {
            for (int y = 0; y < client.height(); y += 3) {
                const QColor m = shot.pixelColor(x, y);
                grey += m == QColor(191, 191, 191) ? 1 : 0;
                white += m == QColor(Qt::white) ? 1 : 0;
            }
        }
        if (zoomed.width() + 2 < client.width()) {
            QVERIFY(grey > 0 && white > 0);
        }
        // Zoom 0.5 on a large image: the scroll range is the rest of 500 x 400.
        QVERIFY(m_doc->OpenDocument(writeImage(QStringLiteral("big.bmp"), gradient(1000, 800), 1)));
        m_doc->SetZoom(0.5f);
        QCOMPARE(m_view->horizontalScrollBar()->maximum(), std::max(0, 500 - client.width()));
        QCOMPARE(m_view->verticalScrollBar()->maximum(), std::max(0, 400 - client.height()));
    }

    // Transparent parts of a picture show the hatched background, never the
    // picture shown before: grabbed afresh, and painted over what the window
    // showed (as the window's own buffer keeps it).
    void transparentPartsShowTheBackgroundNotThePreviousPicture()
    {
        CxImage black(320, 200, 1);
        black.SetGrayPalette();
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                black.SetPixelColor(x, y, RGBQUAD{0, 0, 0, 0});
        QVERIFY(m_doc->OpenDocument(writeImage(QStringLiteral("black.tif"), black, 6)));
        QCOMPARE(int(image().GetBpp()), 1);
        QPixmap canvas = port()->grab();
        QCOMPARE(canvas.toImage().pixelColor(20, 20), QColor(Qt::black));

        // Red square in the middle of a transparent ground.
        CxImage ground(320, 200, 24);
        QVERIFY(ground.AlphaCreate());
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x) {
                ground.SetPixelColor(x, y, RGBQUAD{0, 0, 255, 0});
                const bool square = x >= 120 && x < 200 && y >= 60 && y < 140;
                ground.AlphaSet(x, y, square ? 255 : 0);
            }
        QVERIFY(m_doc->OpenDocument(writeImage(QStringLiteral("ground.png"), ground, 4)));
        QVERIFY(image().AlphaIsValid());
        port()->render(&canvas, QPoint(), QRegion(), QWidget::RenderFlags());
        const float zoom = m_doc->Zoom();
        const auto background = [](const QColor& c) {
            return c == QColor(Qt::white) || c == QColor(191, 191, 191);
        };
        for (const QImage& shot : {port()->grab().toImage(), canvas.toImage()}) {
            QCOMPARE(shot.pixelColor(int(160 * zoom), int(100 * zoom)), QColor(Qt::red));
            int other = 0, grey = 0;
            for (int y = 2; y < int(200 * zoom) - 2; y += 3)
                for (int x = 2; x < int(100 * zoom); x += 3) {
                    const QColor c = shot.pixelColor(x, y);
                    other += background(c) ? 0 : 1;
                    grey += c == QColor(191, 191, 191) ? 1 : 0;
                }
            QCOMPARE(other, 0);
            QVERIFY(grey > 0);
        }
    }

    void paintsThePictureWhereverThePaneLies()
    {
        // A pane to the right of another widget, as in the main window.
        QWidget window;
        window.resize(900, 500);
        auto* left = new QWidget(&window);
        left->setGeometry(0, 0, 300, 500);
        m_view->setParent(&window);
        struct GiveBack
        {
            CScrivaView* view;
            ~GiveBack() { view->setParent(nullptr); }
        } giveBack{m_view.get()};
        m_view->setGeometry(300, 0, 600, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(
            m_doc->OpenDocument(writeImage(QStringLiteral("wide.bmp"), gradient(1200, 900), 1)));
        QTest::qWait(20);
        const QImage shot = window.grab().toImage();
        const int right = 300 + int(1200 * m_doc->Zoom()) - 3;
        const QPoint imagePoint =
            scriva::view::ClientToImage(QPoint(right - 300, 100), QPoint(), m_doc->Zoom());
        // One screen pixel covers 1 / zoom = 2 image pixels; sampling may pick either.
        const QColor drawn = shot.pixelColor(right, 100);
        bool found = false;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const RGBQUAD p = at(image(), imagePoint.x() + dx, imagePoint.y() + dy);
                found = found || drawn == QColor(p.rgbRed, p.rgbGreen, p.rgbBlue);
            }
        QVERIFY2(found, qPrintable(drawn.name()));
    }

    void cropByRectangleAtZoomTwo()
    {
        QVERIFY(m_doc->OpenDocument(writeImage(QStringLiteral("crop.bmp"), gradient(400, 300), 1)));
        m_doc->SetZoom(2.0f);
        m_view->horizontalScrollBar()->setValue(40);
        m_view->verticalScrollBar()->setValue(20);
        QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdCropTool));
        drag(QPoint(100, 60), QPoint(200, 120));
        QCOMPARE(m_view->Tracker().Rect(), QRect(100, 60, 100, 60));
        // Moving it by its inside.
        drag(QPoint(150, 90), QPoint(160, 100));
        QCOMPARE(m_view->Tracker().Rect(), QRect(110, 70, 100, 60));
        // Resizing it by its bottom-right handle.
        const QPoint handle(110 + 100 + 3, 70 + 60 + 3);
        QCOMPARE(int(m_view->Tracker().HitTest(handle)), int(RectTracker::HitBottomRight));
        drag(handle, handle + QPoint(-20, -20));
        QCOMPARE(m_view->Tracker().Rect(), QRect(110, 70, 80, 40));
        const RGBQUAD corner = at(image(), (110 + 40) / 2, (70 + 20) / 2);
        doubleClick(QPoint(150, 90));
        // Half the client size at zoom 2, from (client + scroll) / 2.
        QCOMPARE(int(image().GetWidth()), 40);
        QCOMPARE(int(image().GetHeight()), 20);
        QCOMPARE(int(at(image(), 0, 0).rgbRed), int(corner.rgbRed));
        QCOMPARE(int(at(image(), 0, 0).rgbGreen), int(corner.rgbGreen));
        QVERIFY(m_view->Tracker().IsEmpty());
        QCOMPARE(m_doc->Undo().Position(), 1);
        // A double-click beside the rectangle crops nothing.
        drag(QPoint(10, 10), QPoint(30, 30));
        doubleClick(QPoint(300, 300));
        QCOMPARE(int(image().GetWidth()), 40);
    }

    void lassoTriangleAndShiftRectangle()
    {
        QVERIFY(
            m_doc->OpenDocument(writeImage(QStringLiteral("lasso.bmp"), gradient(300, 200), 1)));
        m_doc->SetZoom(1.0f);
        QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdLassoTool));
        // Two points only: a double-click does nothing.
        press(QPoint(20, 20));
        move(QPoint(20, 20));
        move(QPoint(120, 20));
        release(QPoint(120, 20));
        QCOMPARE(int(m_doc->LassoPoints().size()), 2);
        QVERIFY(!m_view->IsLassoAnimating());
        send(QEvent::MouseButtonDblClick, QPoint(50, 50), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(int(image().GetWidth()), 300);

        press(QPoint(20, 20));
        move(QPoint(20, 20));
        move(QPoint(120, 20));
        move(QPoint(20, 100));
        release(QPoint(20, 100));
        QCOMPARE(int(m_doc->LassoPoints().size()), 4); // closed on release
        QVERIFY(m_view->IsLassoAnimating());
        const int phase = m_view->AntsPhase();
        QTRY_VERIFY_WITH_TIMEOUT(m_view->AntsPhase() != phase, 2000);
        send(QEvent::MouseButtonDblClick, QPoint(40, 40), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(int(image().GetWidth()), 101);
        QCOMPARE(int(image().GetHeight()), 81);
        const RGBQUAD outside = at(image(), 90, 70);
        QCOMPARE(int(outside.rgbRed) + outside.rgbGreen + outside.rgbBlue, 3 * 255);
        QCOMPARE(int(at(image(), 3, 3).rgbRed), 40); // inside keeps its pixels
        QCOMPARE(int(at(image(), 3, 3).rgbBlue), 23);
        QVERIFY(!m_view->IsLassoAnimating());

        QVERIFY(m_doc->OnUndo());
        // Shift: an axis-parallel rectangle of five points.
        press(QPoint(30, 40), Qt::ShiftModifier);
        move(QPoint(30, 40), Qt::ShiftModifier);
        move(QPoint(80, 60), Qt::ShiftModifier);
        move(QPoint(130, 90), Qt::ShiftModifier);
        QCOMPARE(int(m_doc->LassoPoints().size()), 5);
        release(QPoint(130, 90), Qt::ShiftModifier);
        QCOMPARE(int(m_doc->LassoPoints().size()), 5);
        send(QEvent::MouseButtonDblClick, QPoint(60, 60), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(int(image().GetWidth()), 101);
        QCOMPARE(int(image().GetHeight()), 51);
        QCOMPARE(int(at(image(), 5, 5).rgbBlue), 35);        // image point (35, 45)
        QCOMPARE(int(at(image(), 5, 5).rgbGreen), 199 - 45); // green counts rows from the bottom
    }

    void textPlacedMovedAndUndone()
    {
        QVERIFY(m_doc->OpenDocument(writeImage(QStringLiteral("text.bmp"), gradient(400, 300), 1)));
        m_doc->SetZoom(1.0f);
        m_doc->SharedTextInfo().fcolor = CxRGB(255, 0, 0);
        m_doc->SharedTextInfo().lfont.lfHeight = -24;
        // The text dialog opens on the text command; type and press OK.
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<TextDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* edit = dialog->findChild<QPlainTextEdit*>(QStringLiteral("id_1023"));
            QVERIFY(edit);
            QVERIFY(edit->toPlainText().isEmpty());
            QTest::keyClicks(edit, QStringLiteral("Note"));
            dialog->accept();
        });
        QVERIFY(m_view->OnCommand(CScrivaDoc::CmdTextTool));
        QCOMPARE(m_doc->Tool(), int(CScrivaDoc::CmdTextTool));
        QVERIFY(m_doc->TextPending());
        QCOMPARE(m_doc->SharedTextInfo().text, QStringLiteral("Note"));
        const QSize size = m_doc->TextImage().size();
        const auto redIn = [this](QRect r) {
            int red = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) {
                    const RGBQUAD c = at(image(), x, y);
                    red += (c.rgbRed > 200 && c.rgbGreen < 100 && c.rgbBlue < 100) ? 1 : 0;
                }
            return red;
        };
        drag(QPoint(30, 30), QPoint(50, 40));
        QVERIFY(redIn(QRect(QPoint(50, 40), size)) > 0);
        QCOMPARE(m_doc->Tool(), 0);
        QCOMPARE(m_doc->Undo().Position(), 1);
        // Grabbed again inside its rectangle and dropped elsewhere: it moves.
        drag(QPoint(55, 45), QPoint(200, 150));
        QCOMPARE(redIn(QRect(QPoint(50, 40), size)), 0);
        QVERIFY(redIn(QRect(QPoint(200, 150), size)) > 0);
        // Undo brings the picture without text.
        QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdUndo));
        QCOMPARE(redIn(QRect(0, 0, 400, 300)), 0);
        QVERIFY(!m_doc->TextPending());
    }

    void eightUndoStepsAndTheNinth()
    {
        QVERIFY(m_doc->OpenDocument(writeImage(QStringLiteral("undo.bmp"), gradient(300, 200), 1)));
        m_doc->SetZoom(1.0f);
        QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdCropTool));
        for (int edit = 1; edit <= 9; ++edit) {
            drag(QPoint(0, 0), QPoint(300 - 10 * edit, 150));
            doubleClick(QPoint(5, 5));
            QCOMPARE(int(image().GetWidth()), 300 - 10 * edit);
        }
        QCOMPARE(m_doc->Undo().Position(), 8);
        int undone = 0;
        while (m_doc->OnUpdateCommand(CScrivaDoc::CmdUndo)->enabled) {
            QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdUndo));
            ++undone;
        }
        QCOMPARE(undone, 8);
        QCOMPARE(int(image().GetWidth()), 290); // the state after the first edit
        QVERIFY(m_doc->OnUpdateCommand(CScrivaDoc::CmdRedo)->enabled);
        QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdRedo));
        QCOMPARE(int(image().GetWidth()), 280);
    }

    void wheelZoomsAboutTheCursor()
    {
        QVERIFY(
            m_doc->OpenDocument(writeImage(QStringLiteral("wheel.bmp"), gradient(2000, 1500), 1)));
        m_doc->SetZoom(1.0f);
        m_view->horizontalScrollBar()->setValue(300);
        m_view->verticalScrollBar()->setValue(200);
        const QPoint cursor(100, 80);
        const QPoint under = m_view->ScrollPosition() + cursor; // image point 400, 280
        wheel(cursor, -120);                                    // toward the user: in
        QCOMPARE(m_doc->Zoom(), 1.25f);
        QCOMPARE(scroll(),
                 QPoint(int(under.x() * 1.25f) - cursor.x(), int(under.y() * 1.25f) - cursor.y()));
        wheel(cursor, 120); // away: out, back about the same point
        QCOMPARE(m_doc->Zoom(), 1.0f);
        QVERIFY(std::abs(scroll().x() - 300) <= 1 && std::abs(scroll().y() - 200) <= 1);
        // Over the hatched margin beside a large image, zooming out does nothing.
        QVERIFY(
            m_doc->OpenDocument(writeImage(QStringLiteral("tall.bmp"), gradient(200, 3000), 1)));
        m_doc->SetZoom(1.0f);
        const float zoom = m_doc->Zoom();
        wheel(QPoint(400, 100), 120);
        QCOMPARE(m_doc->Zoom(), zoom);
        wheel(QPoint(100, 100), 120);
        QCOMPARE(m_doc->Zoom(), zoom * 0.8f);
    }

    void handScrollsAndDoubleClickBringsTheCamera()
    {
        QVERIFY(
            m_doc->OpenDocument(writeImage(QStringLiteral("hand.bmp"), gradient(2000, 1500), 1)));
        m_doc->SetZoom(1.0f);
        QVERIFY(m_doc->OnUpdateCommand(CScrivaDoc::CmdHandTool)->enabled);
        QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdHandTool));
        drag(QPoint(300, 300), QPoint(200, 250));
        QCOMPARE(scroll(), QPoint(100, 50));
        QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdHandTool));
        QCOMPARE(m_doc->Tool(), 0);
        send(QEvent::MouseButtonDblClick, QPoint(50, 50), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(m_host.switches, 1);
    }

    void presetAreaAsksAndKeepsTheRectangle()
    {
        QVERIFY(
            m_doc->OpenDocument(writeImage(QStringLiteral("preset.bmp"), gradient(600, 400), 1)));
        m_doc->SetZoom(1.0f);
        const int& confirmed = m_host.confirmed;
        QVERIFY(m_doc->OnCommand(CScrivaDoc::CmdPresetAreaTool));
        drag(QPoint(50, 60), QPoint(250, 200));
        m_window.answer = IWindowServices::Yes;
        send(QEvent::MouseButtonDblClick, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(m_window.BoxTexts(), QStringList{QStringLiteral("string 61818")});
        QCOMPARE(m_doc->GetPresetArea().rect, QRect(50, 60, 200, 140));
        QCOMPARE(m_doc->GetPresetArea().zoom, 1.0f);
        QCOMPARE(confirmed, 1);
        QCOMPARE(m_doc->Tool(), 0);
        QVERIFY(m_view->Tracker().IsEmpty());
    }

    void fileDragOutOffersTheFile()
    {
        const QString path = writeImage(QStringLiteral("out.png"), gradient(300, 200), 4);
        QVERIFY(m_doc->OpenDocument(path));
        QString dragged;
        connect(m_view.get(), &CScrivaView::fileDragStarting, this, [&](const QString& p) {
            dragged = p;
            // End the drag as Escape would.
            QTimer::singleShot(50, [] {
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                if (QWidget* w = QApplication::focusWidget())
                    QApplication::sendEvent(w, &esc);
                QMouseEvent up(QEvent::MouseButtonRelease, QPointF(0, 0), QPointF(0, 0),
                               Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(qApp, &up);
            });
        });
        press(QPoint(20, 20));
        move(QPoint(21, 21)); // below the drag distance: nothing yet
        QVERIFY(dragged.isEmpty());
        move(QPoint(60, 60));
        QCOMPARE(dragged, path);
        release(QPoint(60, 60));
    }
};

SCRIVA_QTEST(ImageViewTest)
#include "test_image_view.moc"
