// The document without windows: opening and saving real files through the
// codecs, the ask-to-save rule, the save-as proposal, the chosen file type,
// crops by rectangle and lasso, text placement, the status texts and mail.
// The windows around it are a host that records what would be shown.
#include "image/CScrivaDoc.h"
#include "image/IImageView.h"
#include "image/IThumbList.h"
#include "tests/common/ExifJpeg.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <memory>

namespace {

QGuiApplication& guiApp()
{
    static int argc = 1;
    static char name[] = "test_image";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app =
        QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    return app ? *app : *static_cast<QGuiApplication*>(QGuiApplication::instance());
}

class FakeImageView : public IImageView
{
public:
    QSize size{1000, 700};
    int repaints = 0;
    int trackerEmptied = 0;
    QSize ClientSize() const override { return size; }
    QPoint ScrollPosition() const override { return {}; }
    void EmptyTracker() override { ++trackerEmptied; }
    void StopLasso() override {}
    void Repaint() override { ++repaints; }
};

// The windows around the document: texts "string <id>", and every box,
// question and prompt recorded with the answer the test set.
struct Recorder : DocumentHost, IWindowServices
{
    QStringList texts;         // reports (critical boxes)
    std::vector<int> messages; // numbered messages, by id
    QStringList questions;
    bool answerYes = false;
    QString promptAnswer; // empty: Cancel
    int promptType = 0;   // 0: keep the type given
    int promptedType = -99;
    QString promptTitle;
    QStringList recent;
    QStringList statusAll;
    QString zoomPane;
    int mode = 101;
    bool busy = false;
    // Answers the file-name prompt instead of the fields above when set.
    std::function<bool(QString& name, int& type, const QString& title)> prompt;

    bool PromptSaveName(QString& name, int& type, const QString& title) override
    {
        if (prompt)
            return prompt(name, type, title);
        promptedType = type;
        promptTitle = title;
        if (promptAnswer.isEmpty())
            return false;
        name = promptAnswer;
        if (promptType != 0)
            type = promptType;
        return true;
    }
    int RightAreaMode() const override { return mode; }
    bool ProgramBusy() const override { return busy; }
    void AddRecentFile(const QString& p) override { recent << p; }

    QString Text(int id) const override { return QStringLiteral("string %1").arg(id); }
    Button Ask(QWidget*, const QString& text, Buttons buttons, Icon icon, Button,
               const QString&) override
    {
        if (buttons != Ok) {
            questions << text;
            return answerYes ? Yes : No;
        }
        if (icon == Icon::Critical)
            texts << text;
        else // "string <id>"
            messages.push_back(text.section(QLatin1Char(' '), 1).toInt());
        return Ok;
    }
    QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    void SetBusyCursor(bool) override {}
    void Post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task),
                                  Qt::QueuedConnection);
    }
};

// A 24-bit picture with a gradient, so crops and codecs show where pixels went.
CxImage gradient(int w, int h)
{
    CxImage image(uint32_t(w), uint32_t(h), 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixelColor(x, y,
                                RGBQUAD{uint8_t(x * 255 / std::max(1, w - 1)),
                                        uint8_t(y * 255 / std::max(1, h - 1)), 128, 0});
    return image;
}

QString writeImage(const QTemporaryDir& dir, const QString& name, const CxImage& image, int format)
{
    const QString path = dir.filePath(name);
    CxImage copy(image);
    EXPECT_TRUE(copy.Save(QFile::encodeName(path).toStdString(), uint32_t(format)))
        << copy.GetLastError();
    return path;
}

// Runs the event loop until `done` or 10 s have passed.
void waitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        guiApp();
        doc.SetHost(rec, rec);
        doc.SetImageView(&view);
        QObject::connect(&doc, &CScrivaDoc::statusPanesChanged,
                         [this](int what, const QStringList& t) {
                             if (what == CScrivaDoc::StatusAll)
                                 rec.statusAll = t;
                             rec.zoomPane = t.value(4);
                         });
    }
    void TearDown() override { doc.SetImageView(nullptr); }

    QTemporaryDir dir;
    Recorder rec;
    FakeImageView view;
    CScrivaDoc doc;
};

TEST_F(DocumentTest, OpenShowsTheImageAtFitZoomWithItsStatus)
{
    const QString path = writeImage(dir, QStringLiteral("photo.jpg"), gradient(400, 300), 3);
    ASSERT_TRUE(doc.OpenDocument(path));
    EXPECT_TRUE(doc.HasImage());
    EXPECT_EQ(doc.PathName(), path);
    EXPECT_EQ(doc.Title(), QStringLiteral("photo.jpg"));
    EXPECT_NEAR(doc.Zoom(), 2.30f, 1e-4);
    EXPECT_EQ(rec.recent, QStringList{path});
    ASSERT_EQ(rec.statusAll.size(), 5);
    EXPECT_EQ(rec.statusAll.at(1), QStringLiteral("photo.jpg"));
    // 40 + 400 * 300 * 3 bytes = 360040 bytes = 351 whole kilobytes.
    EXPECT_EQ(rec.statusAll.at(2), QStringLiteral(" 351.0kb"));
    EXPECT_EQ(rec.statusAll.at(3), QStringLiteral("400x300x24"));
    EXPECT_EQ(rec.statusAll.at(4), QStringLiteral("230.0 %"));
    EXPECT_EQ(doc.Undo().Position(), 0);
}

TEST_F(DocumentTest, APhotoStoredSidewaysOpensUpright)
{
    // Stored 80 x 120 with EXIF orientation 6 (turn a quarter clockwise to see it).
    CxImage stored = exiftest::UprightPicture();
    ASSERT_TRUE(exiftest::StoreAs(stored, 6));
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(stored.Encode(jpeg, CXIMAGE_FORMAT_JPG));
    jpeg = exiftest::WithExifOrientation(jpeg, 6);
    const QString path = dir.filePath(QStringLiteral("sideways.jpg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(reinterpret_cast<const char*>(jpeg.data()), qint64(jpeg.size())),
              qint64(jpeg.size()));
    file.close();
    ASSERT_TRUE(doc.OpenDocument(path));
    ASSERT_TRUE(doc.HasImage());
    EXPECT_TRUE(exiftest::IsUpright(*doc.GetImage()));
    ASSERT_EQ(rec.statusAll.size(), 5);
    EXPECT_EQ(rec.statusAll.at(3), QStringLiteral("120x80x24"));
}

TEST_F(DocumentTest, ANonImageShowsTheMessageAndKeepsWhatWasOpen)
{
    const QString good = writeImage(dir, QStringLiteral("good.png"), gradient(20, 10), 4);
    ASSERT_TRUE(doc.OpenDocument(good));
    const QString fake = dir.filePath(QStringLiteral("not-an-image.jpg"));
    QFile f(fake);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is text, not a picture");
    f.close();
    CxImage decoded;
    EXPECT_FALSE(decoded.Load(QFile::encodeName(fake).toStdString(), 3));
    const QString decoderText = QString::fromUtf8(decoded.GetLastError());
    EXPECT_FALSE(decoderText.isEmpty());
    // The fixed text, then the file and why it could not be read.
    const QString kept = QStringLiteral("The picture does not exist, has been removed.");
    const std::pair<QString, QString> cases[] = {
        {fake, kept + QStringLiteral("\r\n") + fake + QStringLiteral("\r\n") + decoderText},
        {dir.filePath(QStringLiteral("missing.bmp")),
         kept + QStringLiteral("\r\n") + dir.filePath(QStringLiteral("missing.bmp")) +
             QStringLiteral("\r\nNo such file or directory")},
        {dir.filePath(QStringLiteral("notes.txt")), kept}, // no image type: no file is read
    };
    for (const auto& [path, text] : cases) {
        rec.texts.clear();
        EXPECT_FALSE(doc.OpenDocument(path)) << path.toStdString();
        EXPECT_EQ(rec.texts, QStringList{text});
        EXPECT_TRUE(doc.HasImage());
        EXPECT_EQ(doc.PathName(), good);
    }
    // Through the thumbnail path an unreadable file leaves no image and no box;
    // a path of no image type is ignored.
    rec.texts.clear();
    EXPECT_TRUE(doc.OpenPath(dir.filePath(QStringLiteral("notes.txt"))));
    EXPECT_TRUE(doc.HasImage());
    EXPECT_TRUE(doc.OpenPath(fake));
    EXPECT_FALSE(doc.HasImage());
    EXPECT_TRUE(rec.texts.isEmpty());
    EXPECT_FALSE(doc.OnUpdateCommand(CScrivaDoc::CmdSave)->enabled);
}

TEST_F(DocumentTest, SaveAsEachFormatWritesWhatTheExtensionSays)
{
    const QString path = writeImage(dir, QStringLiteral("page.bmp"), gradient(64, 48), 1);
    ASSERT_TRUE(doc.OpenDocument(path));
    ASSERT_TRUE(doc.CropTo(QRect(8, 4, 32, 20)));
    const std::pair<const char*, int> targets[] = {{"out.bmp", 1}, {"out.jpg", 3}, {"out.jpeg", 3},
                                                   {"out.png", 4}, {"out.tif", 6}, {"out.tiff", 6}};
    for (const auto& [name, format] : targets) {
        ASSERT_TRUE(doc.CropTo(QRect(0, 0, 32, 20))); // an edit to be saved
        rec.promptAnswer = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(doc.DoSave(QString(), true)) << name;
        EXPECT_EQ(doc.PathName(), rec.promptAnswer);
        EXPECT_EQ(doc.Undo().Position(), 0) << "a replacing save empties the history";
        CxImage back;
        ASSERT_TRUE(back.Load(QFile::encodeName(rec.promptAnswer).toStdString(), 0)) << name;
        EXPECT_EQ(back.GetType(), uint32_t(format)) << name;
        EXPECT_EQ(back.GetWidth(), 32u);
        EXPECT_EQ(back.GetHeight(), 20u);
    }
    // An extension of no image format fails without a message.
    rec.texts.clear();
    rec.promptAnswer = dir.filePath(QStringLiteral("out.gif"));
    EXPECT_FALSE(doc.DoSave(QString(), true));
    EXPECT_TRUE(rec.texts.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(rec.promptAnswer));
}

TEST_F(DocumentTest, AFailedSaveLeavesTheFileAndTheEditsAlone)
{
    // A 4-bit colour picture cannot be written as JPEG: the encoder refuses.
    CxImage palette(16, 16, 4);
    palette.SetPaletteColor(1, 200, 30, 30);
    palette.SetPixelIndex(3, 3, 1);
    const QString target = writeImage(dir, QStringLiteral("keep.jpg"), gradient(16, 16), 3);
    const QByteArray before = bytesOf(target);
    const QString source = writeImage(dir, QStringLiteral("colour.bmp"), palette, 1);
    ASSERT_TRUE(doc.OpenDocument(source));
    ASSERT_TRUE(doc.CropTo(QRect(0, 0, 8, 8)));
    rec.promptAnswer = target;
    EXPECT_FALSE(doc.DoSave(QString(), true));
    EXPECT_EQ(rec.texts,
              QStringList{QStringLiteral("string 62005\r\n") + target +
                          QStringLiteral("\r\nJPEG can save only RGB or GreyScale images")});
    EXPECT_EQ(bytesOf(target), before);
    EXPECT_EQ(doc.PathName(), source);
    // A write-protected file (kept even for root) names itself and the system's reason.
    const QString locked = writeImage(dir, QStringLiteral("locked.bmp"), gradient(8, 8), 1);
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner));
    const QByteArray lockedBefore = bytesOf(locked);
    rec.texts.clear();
    rec.promptAnswer = locked;
    EXPECT_FALSE(doc.DoSave(QString(), true));
    EXPECT_EQ(rec.texts,
              QStringList{QStringLiteral("string 62005\r\n") + locked +
                          QStringLiteral("\r\nCan't open file for writing: Permission denied")});
    EXPECT_EQ(bytesOf(locked), lockedBefore);
    EXPECT_EQ(doc.Undo().Position(), 1);
    // Asked to save before closing, the same failure keeps the edits and
    // calls the close off.
    rec.answerYes = true;
    const QString other = writeImage(dir, QStringLiteral("other.png"), gradient(8, 8), 4);
    doc.SetPathName(target);
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_EQ(doc.Undo().Position(), 1);
    EXPECT_FALSE(doc.OpenPath(other));
    EXPECT_EQ(doc.PathName(), target);
    EXPECT_EQ(bytesOf(target), before);
}

TEST_F(DocumentTest, AFailedSaveNamesTheFileAndTheSystemsReason)
{
    const QString source = writeImage(dir, QStringLiteral("s.png"), gradient(16, 16), 4);
    ASSERT_TRUE(doc.OpenDocument(source));
    const QString file = writeImage(dir, QStringLiteral("plain.png"), gradient(4, 4), 4);
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("taken.png"))));
    const std::pair<QString, QString> cases[] = {
        {dir.filePath(QStringLiteral("gone/x.png")), QStringLiteral("No such file or directory")},
        {file + QStringLiteral("/x.png"), QStringLiteral("Not a directory")},
        {dir.filePath(QStringLiteral("taken.png")), QStringLiteral("Is a directory")},
    };
    for (const auto& [path, reason] : cases) {
        rec.texts.clear();
        EXPECT_FALSE(doc.OnSaveDocument(path)) << path.toStdString();
        ASSERT_EQ(rec.texts.size(), 1) << path.toStdString();
        const QStringList lines = rec.texts.at(0).split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 3) << rec.texts.at(0).toStdString();
        EXPECT_EQ(lines.at(0), QStringLiteral("string 62005"));
        EXPECT_EQ(lines.at(1), path);
        EXPECT_TRUE(lines.at(2).contains(reason)) << lines.at(2).toStdString();
        EXPECT_EQ(lines.at(2).count(reason), 1) << "said once: " << lines.at(2).toStdString();
    }
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("taken.png"))).isDir());
}

TEST_F(DocumentTest, AskToSaveOnlyAfterEditsAndOnlySavesOnYes)
{
    const QString path = writeImage(dir, QStringLiteral("a.png"), gradient(30, 20), 4);
    ASSERT_TRUE(doc.OpenDocument(path));
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_TRUE(rec.questions.isEmpty());
    ASSERT_TRUE(doc.CropTo(QRect(0, 0, 10, 10)));
    rec.answerYes = false;
    EXPECT_TRUE(doc.SaveModified());
    ASSERT_EQ(rec.questions.size(), 1);
    EXPECT_EQ(rec.questions.at(0), QStringLiteral("string 61460\r\n") + path);
    EXPECT_EQ(doc.Undo().Position(), 0);
    CxImage onDisk;
    ASSERT_TRUE(onDisk.Load(QFile::encodeName(path).toStdString(), 4));
    EXPECT_EQ(onDisk.GetWidth(), 30u); // No: the file is untouched
    ASSERT_TRUE(doc.CropTo(QRect(0, 0, 10, 10)));
    rec.answerYes = true;
    EXPECT_TRUE(doc.SaveModified());
    ASSERT_TRUE(onDisk.Load(QFile::encodeName(path).toStdString(), 4));
    EXPECT_EQ(onDisk.GetWidth(), 10u); // Yes: saved in place, without a prompt
    EXPECT_EQ(rec.promptedType, -99);
}

TEST_F(DocumentTest, NineTurnsEightUndosStillAskToSave)
{
    const QString path = writeImage(dir, QStringLiteral("turn.png"), gradient(30, 20), 4);
    ASSERT_TRUE(doc.OpenDocument(path));
    for (int turn = 0; turn < 9; ++turn) {
        auto turned = std::make_unique<CxImage>(*doc.GetImage());
        ASSERT_TRUE(turned->RotateRight90());
        doc.PushUndo();
        doc.SetImage(std::move(turned));
    }
    for (int undo = 0; undo < 8; ++undo)
        ASSERT_TRUE(doc.OnUndo());
    EXPECT_FALSE(doc.Undo().CanUndo());
    EXPECT_TRUE(doc.IsModified()) << "one turn is left";
    rec.answerYes = true;
    EXPECT_TRUE(doc.SaveModified());
    ASSERT_EQ(rec.questions.size(), 1);
    CxImage onDisk;
    ASSERT_TRUE(onDisk.Load(QFile::encodeName(path).toStdString(), 4));
    EXPECT_EQ(onDisk.GetWidth(), 20u) << "the remaining turn reached the file";
    EXPECT_EQ(onDisk.GetHeight(), 30u);
    EXPECT_FALSE(doc.IsModified());
}

// What another program does to the open file before the user saves.
enum class Outside { Nothing, Rewritten, Replaced, Touched, Removed };

TEST_F(DocumentTest, SavingOverAFileChangedElsewhereAsksFirst)
{
    struct Case
    {
        Outside outside;
        bool asked;
    };
    const Case cases[] = {{Outside::Nothing, false},
                          {Outside::Rewritten, true},
                          {Outside::Replaced, true},
                          {Outside::Touched, true},
                          {Outside::Removed, false}};
    int n = 0;
    for (const Case& c : cases) {
        const QString path =
            writeImage(dir, QStringLiteral("shared%1.png").arg(n++), gradient(30, 20), 4);
        ASSERT_TRUE(doc.OpenDocument(path));
        ASSERT_TRUE(doc.CropTo(QRect(0, 0, 10, 10)));
        QFile file(path);
        switch (c.outside) {
        case Outside::Nothing:
            break;
        case Outside::Rewritten:
            writeImage(dir, QFileInfo(path).fileName(), gradient(40, 40), 4);
            break;
        case Outside::Replaced: { // the same bytes and time under a new identity
            const QString other = path + QStringLiteral(".new");
            ASSERT_TRUE(QFile::copy(path, other));
            QFile copy(other);
            ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
            ASSERT_TRUE(copy.setFileTime(QFileInfo(path).lastModified(),
                                         QFileDevice::FileModificationTime));
            copy.close();
            ASSERT_TRUE(QFile::remove(path));
            ASSERT_TRUE(QFile::rename(other, path));
            break;
        }
        case Outside::Touched:
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                         QFileDevice::FileModificationTime));
            file.close();
            break;
        case Outside::Removed:
            ASSERT_TRUE(QFile::remove(path));
            break;
        }
        const QByteArray theirs = bytesOf(path);
        rec.questions.clear();
        rec.answerYes = false;
        const bool saved = doc.DoSave(path, true);
        EXPECT_EQ(rec.questions.size(), c.asked ? 1 : 0) << int(c.outside);
        if (c.asked) {
            EXPECT_EQ(rec.questions.value(0), QStringLiteral("string 62020\r\n") + path);
            EXPECT_FALSE(saved) << "No keeps the other program's file";
            EXPECT_EQ(bytesOf(path), theirs);
            EXPECT_TRUE(doc.IsModified());
            rec.answerYes = true;
            EXPECT_TRUE(doc.DoSave(path, true));
        } else {
            EXPECT_TRUE(saved);
        }
        CxImage onDisk;
        ASSERT_TRUE(onDisk.Load(QFile::encodeName(path).toStdString(), 4));
        EXPECT_EQ(onDisk.GetWidth(), 10u) << int(c.outside);
        // Our own save is not taken for another program's change.
        rec.questions.clear();
        ASSERT_TRUE(doc.CropTo(QRect(0, 0, 5, 5)));
        EXPECT_TRUE(doc.DoSave(path, true));
        EXPECT_TRUE(rec.questions.isEmpty()) << int(c.outside);
    }
}

TEST_F(DocumentTest, ProposalCopyAndChosenType)
{
    const QString path = writeImage(dir, QStringLiteral("a;b.png"), gradient(30, 20), 4);
    ASSERT_TRUE(doc.OpenDocument(path));
    rec.promptAnswer.clear(); // Cancel
    int seen = -1;
    rec.prompt = [&](QString& name, int& type, const QString&) {
        seen = type;
        EXPECT_EQ(name, dir.filePath(QStringLiteral("UntitledImage"))); // the folder stays
        return false;
    };
    doc.SetChosenType(21);
    EXPECT_FALSE(doc.DoSave(QString(), true));
    EXPECT_EQ(seen, 4); // preset with the image's format
    EXPECT_EQ(doc.ChosenType(), 0) << "a cancelled prompt leaves no chosen type";

    // Save a copy as JPEG: the document keeps its path and its edits.
    rec.prompt = nullptr;
    ASSERT_TRUE(doc.CropTo(QRect(0, 0, 10, 10)));
    rec.promptAnswer = dir.filePath(QStringLiteral("copy.jpg"));
    ASSERT_TRUE(doc.OnCommand(CScrivaDoc::CmdSaveCopyJpeg));
    EXPECT_EQ(rec.promptedType, 3);
    EXPECT_EQ(rec.promptTitle, QStringLiteral("string 61444"));
    EXPECT_TRUE(QFileInfo::exists(rec.promptAnswer));
    EXPECT_EQ(doc.PathName(), path);
    EXPECT_EQ(doc.Undo().Position(), 1);

    // Save as with the PDF type goes to the exporter and changes nothing else.
    QString exported;
    doc.SetPdfExporter([&](const QString& p) {
        exported = p;
        return true;
    });
    rec.promptAnswer = dir.filePath(QStringLiteral("all.pdf"));
    rec.promptType = 21;
    EXPECT_TRUE(doc.DoSave(QString(), true));
    EXPECT_EQ(rec.promptTitle, QStringLiteral("string 61441"));
    EXPECT_EQ(exported, rec.promptAnswer);
    EXPECT_EQ(doc.PathName(), path);
    EXPECT_EQ(doc.Undo().Position(), 1);
    EXPECT_EQ(doc.ChosenType(), 0);
}

TEST_F(DocumentTest, LassoCropKeepsTheTriangleOnWhite)
{
    const QString path = writeImage(dir, QStringLiteral("l.bmp"), gradient(100, 80), 1);
    ASSERT_TRUE(doc.OpenDocument(path));
    auto& points = doc.LassoPoints();
    points = {{10, 10}, {60, 10}};
    EXPECT_FALSE(doc.LassoCrop());
    EXPECT_EQ(doc.GetImage()->GetWidth(), 100u);
    points = {{10, 10}, {60, 10}, {10, 50}, {10, 10}};
    ASSERT_TRUE(doc.LassoCrop());
    const CxImage& cut = *doc.GetImage();
    EXPECT_EQ(cut.GetWidth(), 51u);
    EXPECT_EQ(cut.GetHeight(), 41u);
    // Rows are stored bottom-up: (x, height - 1 - y) is image point (x, y).
    const auto at = [&](int x, int y) {
        return cut.GetPixelColor(x, int(cut.GetHeight()) - 1 - y);
    };
    const RGBQUAD far = at(45, 35); // beyond the hypotenuse
    EXPECT_EQ(far.rgbRed, 255);
    EXPECT_EQ(far.rgbGreen, 255);
    EXPECT_EQ(far.rgbBlue, 255);
    EXPECT_EQ(at(2, 2).rgbRed, 128); // inside keeps its pixels
    EXPECT_EQ(doc.Undo().Position(), 1);
    ASSERT_TRUE(doc.OnUndo());
    EXPECT_EQ(doc.GetImage()->GetWidth(), 100u);
}

TEST_F(DocumentTest, CropBesideTheImageChangesNothing)
{
    const QString path = writeImage(dir, QStringLiteral("c.bmp"), gradient(50, 40), 1);
    ASSERT_TRUE(doc.OpenDocument(path));
    EXPECT_FALSE(doc.CropTo(QRect(60, 0, 10, 10)));
    EXPECT_FALSE(doc.CropTo(QRect()));
    EXPECT_EQ(doc.Undo().Position(), 0);
    EXPECT_FALSE(doc.OnUpdateCommand(CScrivaDoc::CmdUndo)->enabled);
}

TEST_F(DocumentTest, TextIsPlacedMovedAndUndone)
{
    const QString path = writeImage(dir, QStringLiteral("t.bmp"), gradient(200, 100), 1);
    ASSERT_TRUE(doc.OpenDocument(path));
    doc.SharedTextInfo().text = QStringLiteral("Hi");
    doc.SharedTextInfo().fcolor = CxRGB(255, 0, 0);
    doc.TakeBackup();
    ASSERT_TRUE(doc.PrepareText());
    const QSize textSize = doc.TextImage().size();
    ASSERT_TRUE(doc.PlaceText(QPoint(10, 10)));
    const auto redAround = [&](QRect r) {
        int red = 0;
        const CxImage& im = *doc.GetImage();
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const RGBQUAD c = im.GetPixelColor(x, int(im.GetHeight()) - 1 - y);
                red += c.rgbRed > 200 && c.rgbGreen < 80 ? 1 : 0;
            }
        return red;
    };
    EXPECT_GT(redAround(QRect(QPoint(10, 10), textSize)), 0);
    EXPECT_EQ(doc.TextHitRect(),
              QRect(QPoint(5, 5), QPoint(15 + textSize.width(), 15 + textSize.height())));
    // Placed again elsewhere: it leaves its first place.
    ASSERT_TRUE(doc.PlaceText(QPoint(120, 50)));
    EXPECT_EQ(redAround(QRect(QPoint(10, 10), textSize)), 0);
    EXPECT_GT(redAround(QRect(QPoint(120, 50), textSize)), 0);
    // Undo brings the image without text.
    ASSERT_TRUE(doc.OnUndo());
    EXPECT_EQ(redAround(QRect(0, 0, 200, 100)), 0);
    EXPECT_FALSE(doc.TextPending()) << "any other change ends the placement";
    // An empty text ends the tool.
    doc.SharedTextInfo().text.clear();
    EXPECT_FALSE(doc.PrepareText());
    EXPECT_EQ(doc.Tool(), 0);
}

TEST_F(DocumentTest, MailWritesABitmapAndRunsTheMailProgram)
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
    rec.messages.clear();
    doc.OnCommand(CScrivaDoc::CmdSendMail);
    EXPECT_EQ(rec.messages, std::vector<int>{61449}); // nothing to send

    const QString path = writeImage(dir, QStringLiteral("mail me.png"), gradient(20, 10), 4);
    ASSERT_TRUE(doc.OpenDocument(path));
    const QString script = dir.filePath(QStringLiteral("fake-mail"));
    const QString log = dir.filePath(QStringLiteral("args.txt"));
    QFile s(script);
    ASSERT_TRUE(s.open(QIODevice::WriteOnly));
    s.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part' && mv '%1.part' '%1'\n")
                .arg(log)
                .toUtf8());
    s.close();
    s.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    doc.SetMailProgram(script);
    rec.messages.clear();
    doc.OnCommand(CScrivaDoc::CmdSendMail);
    waitFor([&] { return QFileInfo::exists(log); });
    const QList<QByteArray> args = bytesOf(log).trimmed().split('\n');
    ASSERT_EQ(args.size(), 2);
    EXPECT_EQ(args.at(0), QByteArray("--attach"));
    const QString attached = QString::fromUtf8(args.at(1));
    EXPECT_TRUE(attached.endsWith(QStringLiteral("/scriva/mail/mail me.bmp")))
        << attached.toStdString();
    CxImage sent;
    EXPECT_TRUE(sent.Load(QFile::encodeName(attached).toStdString(), 1));
    EXPECT_EQ(sent.GetWidth(), 20u);

    doc.SetMailProgram(dir.filePath(QStringLiteral("no-such-program")));
    doc.OnCommand(CScrivaDoc::CmdSendMail);
    waitFor([&] { return !rec.messages.empty(); });
    EXPECT_EQ(rec.messages, std::vector<int>{62006});
}

TEST_F(DocumentTest, CommandStatesFollowImageBusyAndMode)
{
    int& mode = rec.mode;
    bool& busy = rec.busy;
    const int imageCommands[] = {CScrivaDoc::CmdSave, CScrivaDoc::CmdSaveAs,
                                 CScrivaDoc::CmdSendMail, CScrivaDoc::CmdCropTool,
                                 CScrivaDoc::CmdLassoTool};
    for (int id : imageCommands)
        EXPECT_FALSE(doc.OnUpdateCommand(id)->enabled) << id;
    const QString path = writeImage(dir, QStringLiteral("s.png"), gradient(30, 20), 4);
    ASSERT_TRUE(doc.OpenDocument(path));
    for (int id : imageCommands)
        EXPECT_TRUE(doc.OnUpdateCommand(id)->enabled) << id;
    busy = true;
    for (int id : imageCommands)
        EXPECT_FALSE(doc.OnUpdateCommand(id)->enabled) << id;
    busy = false;
    mode = 154;
    for (int id : imageCommands)
        EXPECT_FALSE(doc.OnUpdateCommand(id)->enabled) << id;
    // In the capture view the zoom commands belong to that view.
    EXPECT_FALSE(doc.OnUpdateCommand(CScrivaDoc::CmdZoomIn).has_value());
    EXPECT_FALSE(doc.OnCommand(CScrivaDoc::CmdZoomIn));
    mode = 101;
    // Editing and printing wait for their handlers: disabled, never pretending.
    EXPECT_FALSE(doc.OnUpdateCommand(32780)->enabled);
    EXPECT_FALSE(doc.OnUpdateCommand(CScrivaDoc::CmdPrint)->enabled);
    int ran = 0;
    doc.SetCommandHandler(32780, [&] { ++ran; });
    EXPECT_TRUE(doc.OnUpdateCommand(32780)->enabled);
    EXPECT_TRUE(doc.OnCommand(32780));
    EXPECT_EQ(ran, 1);
    // The hand only when the zoomed image is larger than the pane.
    view.size = QSize(1000, 700);
    doc.SetZoom(1.0f);
    EXPECT_FALSE(doc.OnUpdateCommand(CScrivaDoc::CmdHandTool)->enabled);
    doc.SetZoom(40.0f);
    EXPECT_TRUE(doc.OnUpdateCommand(CScrivaDoc::CmdHandTool)->enabled);
    // Tools toggle.
    doc.OnCommand(CScrivaDoc::CmdCropTool);
    EXPECT_EQ(doc.Tool(), CScrivaDoc::CmdCropTool);
    EXPECT_TRUE(doc.OnUpdateCommand(CScrivaDoc::CmdCropTool)->checked);
    doc.OnCommand(CScrivaDoc::CmdCropTool);
    EXPECT_EQ(doc.Tool(), 0);
}

} // namespace
