// Every way of opening an image reaches the one document through the real
// application and main frame: the command line, File Open, a dropped file,
// the recent-file list and next/previous over the thumbnail column. A file
// that is no readable image is reported and the program goes on. Closing with
// edits asks to save them.

#include "AppTestSupport.h"
#include "QtTestRegistry.h"
#include "app/frame/CMainFrame.h"
#include "app/frame/MainStatusBar.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/RecentFiles.h"
#include "config/CommandIds.h"
#include "image/CScrivaDoc.h"
#include "image/ViewGeometry.h"
#include "image/ui/CScrivaView.h"
#include "thumbs/ui/CThumbView.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Should the program open the pipe for reading anyway, this writer lets it go
// (with nothing to read) after a while, so the test fails instead of hanging.
class PipeReleaser
{
public:
    explicit PipeReleaser(const QString& fifo) : m_path(QFile::encodeName(fifo))
    {
        m_thread = std::thread([this] {
            for (int i = 0; i < 100 && !m_stop; ++i) {
                const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    ::close(fd);
                    m_released = true;
                }
                ::usleep(50000);
            }
        });
    }
    ~PipeReleaser()
    {
        m_stop = true;
        m_thread.join();
    }
    bool released() const { return m_released; }

private:
    QByteArray m_path;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_released{false};
};

} // namespace

class TestFrameDocument : public QObject
{
    Q_OBJECT
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;

    void freshHome() { m_home = apptest::freshHome(); }
    QString photo(const QString& name, int w, int h, int format = 3)
    {
        CxImage image(uint32_t(w), uint32_t(h), 24);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.SetPixelColor(x, y, RGBQUAD{uint8_t(x), uint8_t(y), 90, 0});
        const QString path = m_home->filePath(name);
        image.Save(QFile::encodeName(path).toStdString(), uint32_t(format));
        return path;
    }
    static CMainFrame* frameOf(CScrivaApp& app)
    {
        return qobject_cast<CMainFrame*>(app.mainWindow());
    }
    static QString pane(CMainFrame* frame, int indicator)
    {
        auto* label = frame->findChild<QLabel*>(QStringLiteral("id_%1").arg(indicator));
        return label ? label->text() : QStringLiteral("<none>");
    }

private slots:
    void commandLineOpensThePhotoAtFitZoom()
    {
        freshHome();
        const QString path = photo(QStringLiteral("photo.jpg"), 200, 150);
        CScrivaApp app;
        apptest::BoxCatcher catcher;
        QVERIFY(app.init({QStringLiteral("scriva"), path}));
        QCOMPARE(catcher.boxes.size(), 0);
        CMainFrame* frame = frameOf(app);
        CScrivaDoc& doc = frame->document();
        QVERIFY(doc.HasImage());
        QCOMPARE(doc.PathName(), path);
        QVERIFY(frame->windowTitle().endsWith(QStringLiteral(" - photo.jpg")));
        const QSize client = frame->imageView()->ClientSize();
        QCOMPARE(doc.Zoom(), scriva::view::FitZoom(client.width(), client.height(), 200, 150));
        QCOMPARE(pane(frame, 59145), QStringLiteral("photo.jpg"));
        QCOMPARE(pane(frame, 59146), QStringLiteral("200x150x24"));
        QCOMPARE(pane(frame, 59148), QString::asprintf("%4.1f %%", double(doc.Zoom()) * 100.0));
        QCOMPARE(app.recentFiles()->Paths().value(0), path);
    }

    void commandLineNonImageIsReportedAndTheProgramRuns()
    {
        freshHome();
        const QString bad = m_home->filePath(QStringLiteral("not-an-image.jpg"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("plain text");
        f.close();
        CScrivaApp app;
        apptest::BoxCatcher catcher;
        QVERIFY(app.init({QStringLiteral("scriva"), bad}));
        QTRY_COMPARE(catcher.boxes.size(), 1);
        // The fixed text, the file and the reader's reason, one to a line.
        CxImage reader;
        QVERIFY(!reader.Load(QFile::encodeName(bad).toStdString(), 3));
        QCOMPARE(catcher.boxes[0].text,
                 QStringLiteral("The picture does not exist, has been removed.\n") + bad +
                     QStringLiteral("\n") + QString::fromUtf8(reader.GetLastError()));
        CMainFrame* frame = frameOf(app);
        QVERIFY(frame->isVisible());
        QVERIFY(!frame->document().HasImage());
    }

    // A named pipe, a device or a folder under an image's name is refused with
    // a box that names it, whichever way it comes (command line, drop, recent
    // files, the thumbnail column), and the image shown stays.
    void specialFilesAreRefusedBeforeTheyAreOpened()
    {
        freshHome();
        const QString image = photo(QStringLiteral("page.png"), 60, 40, 4);
        const QString fifo = m_home->filePath(QStringLiteral("pipe.png"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString device = m_home->filePath(QStringLiteral("device.jpg"));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), device));
        const QString folder = m_home->filePath(QStringLiteral("folder.tif"));
        QVERIFY(QDir().mkpath(folder));
        PipeReleaser releaser(fifo);

        CScrivaApp app;
        apptest::BoxCatcher catcher;
        QVERIFY(app.init({QStringLiteral("scriva"), fifo}));
        QTRY_COMPARE(catcher.boxes.size(), 1);
        const QString said = app.pack().String(scriva::str::kNotARegularFile);
        QVERIFY(said.contains(QLatin1String("%1")));
        QCOMPARE(catcher.boxes[0].text, said.arg(fifo));
        CMainFrame* frame = frameOf(app);
        QVERIFY(frame->isVisible());
        CScrivaDoc& doc = frame->document();
        QVERIFY(!doc.HasImage());
        QVERIFY(doc.OpenDocument(image));

        int expected = 1;
        for (const QString& path : {fifo, device, folder}) {
            // Dropped on the window.
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(frame, &enter);
            QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(frame, &drop);
            ++expected;
            QTRY_COMPARE(catcher.boxes.size(), expected);
            QCOMPARE(catcher.boxes.last().text, said.arg(path));
            // From the recent files.
            app.recentFiles()->Add(path);
            QVERIFY(frame->router().dispatch(scriva::cmd::kFirstRecentFile));
            ++expected;
            QTRY_COMPARE(catcher.boxes.size(), expected);
            QCOMPARE(catcher.boxes.last().text, said.arg(path));
            // Through the browsing path (thumbnails, next and previous).
            QVERIFY(doc.OpenPath(path));
            ++expected;
            QTRY_COMPARE(catcher.boxes.size(), expected);
            QCOMPARE(catcher.boxes.last().text, said.arg(path));
            QCOMPARE(doc.PathName(), image);
            QVERIFY(doc.HasImage());
        }
        QVERIFY(!releaser.released()); // nobody ever opened the pipe
    }

    void fileOpenDropAndRecentFilesOpenThroughTheDocument()
    {
        freshHome();
        const QString first = photo(QStringLiteral("first.png"), 60, 40, 4);
        const QString second = photo(QStringLiteral("second.bmp"), 70, 50, 1);
        const QString third = photo(QStringLiteral("third.tif"), 80, 30, 6);
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        CMainFrame* frame = frameOf(app);
        CScrivaDoc& doc = frame->document();

        // File Open through the program's prompt.
        apptest::ModalHandler<QFileDialog> choose([&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(first);
            static_cast<QDialog*>(dialog)->accept();
        });
        QVERIFY(frame->router().dispatch(57601));
        QVERIFY(choose.seen());
        QCOMPARE(doc.PathName(), first);
        QCOMPARE(int(doc.GetImage()->GetWidth()), 60);

        // A file dropped on the window.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(second)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(frame, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &drop);
        QCOMPARE(doc.PathName(), second);
        QCOMPARE(int(doc.GetImage()->GetWidth()), 70);

        // The recent-file list: the newest first.
        QCOMPARE(app.recentFiles()->Paths().mid(0, 2), (QStringList{second, first}));
        app.recentFiles()->Add(third);
        app.recentFiles()->Add(second);
        const int index = int(app.recentFiles()->Paths().indexOf(third));
        QVERIFY(frame->router().dispatch(scriva::cmd::kFirstRecentFile + index));
        QCOMPARE(doc.PathName(), third);
        QCOMPARE(int(doc.GetImage()->GetHeight()), 30);
        QCOMPARE(pane(frame, 59146), QStringLiteral("80x30x24"));
    }

    void nextAndPreviousFollowTheThumbnails()
    {
        freshHome();
        const QString a = photo(QStringLiteral("a.jpg"), 30, 20);
        const QString b = photo(QStringLiteral("b.jpg"), 31, 20);
        const QString c = photo(QStringLiteral("c.jpg"), 32, 20);
        CScrivaApp app;
        QVERIFY(app.init({QStringLiteral("scriva")}));
        CMainFrame* frame = frameOf(app);
        CScrivaDoc& doc = frame->document();
        frame->thumbView()->ScanFolder(m_home->path());
        QVERIFY(frame->thumbView()->OpenItem(0)); // a click on the first thumbnail
        QCOMPARE(doc.PathName(), a);
        QVERIFY(!frame->router().state(CScrivaDoc::CmdPreviousFile).enabled);
        QVERIFY(frame->router().state(CScrivaDoc::CmdNextFile).enabled);
        QVERIFY(frame->router().dispatch(CScrivaDoc::CmdNextFile));
        QCOMPARE(doc.PathName(), b);
        QVERIFY(frame->router().dispatch(CScrivaDoc::CmdNextFile));
        QCOMPARE(doc.PathName(), c);
        QCOMPARE(pane(frame, 59149), QStringLiteral("3/3"));
        QVERIFY(!frame->router().state(CScrivaDoc::CmdNextFile).enabled);
        QVERIFY(frame->router().dispatch(CScrivaDoc::CmdPreviousFile));
        QCOMPARE(doc.PathName(), b);
        QCOMPARE(int(doc.GetImage()->GetWidth()), 31);
    }

    // Save a Copy writes the copy and lists it, while the document, its
    // thumbnail and the position stay the original's; each save dialog has
    // its own title.
    void saveACopyKeepsTheOriginalCurrent()
    {
        freshHome();
        const QString a = photo(QStringLiteral("a.jpg"), 30, 20);
        photo(QStringLiteral("b.jpg"), 31, 20);
        CScrivaApp app;
        CMainFrame* frame = apptest::StartWithImageView(app);
        QVERIFY(frame);
        CScrivaDoc& doc = frame->document();
        CThumbView* thumbs = frame->thumbView();
        thumbs->ScanFolder(m_home->path());
        QVERIFY(thumbs->OpenItem(0));
        QCOMPARE(doc.PathName(), a);
        QVERIFY(doc.CropTo(QRect(0, 0, 10, 10)));

        const QString copy = m_home->filePath(QStringLiteral("a copy.jpg"));
        QString title;
        const auto chooseAs = [&](const QString& path) {
            return [&title, path](QFileDialog* dialog) {
                title = dialog->windowTitle();
                // The proposal highlights the document's own file once the
                // folder is listed, and a highlighted file wins over a typed
                // name: drop the highlight, as typing a new name does.
                dialog->selectFile(path);
                for (auto* view : dialog->findChildren<QAbstractItemView*>())
                    view->clearSelection();
                if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    edit->setText(path);
                static_cast<QDialog*>(dialog)->accept();
            };
        };
        {
            apptest::ModalHandler<QFileDialog> choose(chooseAs(copy));
            QVERIFY(frame->router().dispatch(scriva::cmd::kSaveCopyJpeg));
            QVERIFY(choose.seen());
        }
        QCOMPARE(title, app.pack().String(61444));
        QVERIFY(QFileInfo::exists(copy));
        QCOMPARE(doc.PathName(), a);
        QCOMPARE(thumbs->ItemCount(), 3);
        QCOMPARE(thumbs->CurrentIndex(), 0);
        QCOMPARE(thumbs->SelectedPaths(), QStringList{a});
        QCOMPARE(pane(frame, 59149), QStringLiteral("1/3"));
        QVERIFY(doc.IsModified()); // the copy is not the document's file

        const QString renamed = m_home->filePath(QStringLiteral("renamed.jpg"));
        {
            apptest::ModalHandler<QFileDialog> choose(chooseAs(renamed));
            QVERIFY(frame->router().dispatch(scriva::cmd::kFileSaveAs));
            QVERIFY(choose.seen());
        }
        QCOMPARE(title, app.pack().String(61441));
        QCOMPARE(doc.PathName(), renamed);
        QCOMPARE(thumbs->PathAt(thumbs->CurrentIndex()), renamed);
        QVERIFY(!doc.IsModified());
    }

    void closingWithEditsAsksToSave()
    {
        freshHome();
        const QString path = photo(QStringLiteral("edit.png"), 90, 60, 4);
        {
            CScrivaApp app;
            QVERIFY(app.init({QStringLiteral("scriva"), path}));
            CMainFrame* frame = frameOf(app);
            QVERIFY(frame->document().CropTo(QRect(0, 0, 40, 30)));
            apptest::BoxCatcher no(QMessageBox::No);
            QVERIFY(frame->close());
            QCOMPARE(no.boxes.size(), 1);
            QCOMPARE(no.boxes[0].text, app.pack().String(61460) + QStringLiteral("\n") + path);
            QCOMPARE(no.boxes[0].icon, QMessageBox::Question);
        }
        CxImage onDisk;
        QVERIFY(onDisk.Load(QFile::encodeName(path).toStdString(), 4));
        QCOMPARE(int(onDisk.GetWidth()), 90);
        {
            CScrivaApp app;
            QVERIFY(app.init({QStringLiteral("scriva"), path}));
            CMainFrame* frame = frameOf(app);
            QVERIFY(frame->document().CropTo(QRect(0, 0, 40, 30)));
            apptest::BoxCatcher yes(QMessageBox::Yes);
            QVERIFY(frame->close());
            QCOMPARE(yes.boxes.size(), 1);
        }
        QVERIFY(onDisk.Load(QFile::encodeName(path).toStdString(), 4));
        QCOMPARE(int(onDisk.GetWidth()), 40);
    }
};

SCRIVA_QTEST(TestFrameDocument)
#include "test_frame_document.moc"
