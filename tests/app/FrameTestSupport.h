#pragma once
// Shared set-up of the main-frame tests: the program's real English language
// pack from the build's data folder, frame services over it that record every
// message box instead of showing one, and a capture view whose camera starts.

#include "app/frame/CMainFrame.h"
#include "app/frame/FrameServices.h"
#include "app/shell/LanguagePack.h"
#include "capture_view/ui/CVideoView.h"
#include "image/CScrivaDoc.h"
#include "tests/common/TestWindowServices.h"

#include <QDir>
#include <QMessageBox>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

namespace frametest {

inline QString dataFolder()
{
    const QByteArray dir = qgetenv("SCRIVA_DATA_DIR");
    return dir.isEmpty() ? QDir::currentPath() : QString::fromLocal8Bit(dir);
}

// The English pack, loaded once for the whole test executable.
inline LanguagePack& englishPack()
{
    static LanguagePack pack;
    if (!pack.IsLoaded())
        pack.Load(dataFolder(), 1);
    return pack;
}

// The frame's services and window: every box is recorded as the id of the
// text last asked for (the frame asks for a box's text just before showing
// it), with the reason after that text when it has one.
struct Recorder : TestWindowServices
{
    std::vector<int> messages;
    QStringList reasons; // of boxes that give one
    bool busy = false;
    QString chosenFolder;
    QString saveFolder;
    std::function<void(int)> onMessage;                   // runs while the "box" is open
    QMessageBox::StandardButton answer = QMessageBox::No; // to every question
    QStringList opened;                                   // files the frame asked to open
    mutable int lastId = 0;

    QString Text(int id) const override
    {
        lastId = id;
        return englishPack().String(id);
    }
    Button Ask(QWidget*, const QString& text, Buttons buttons, Icon, Button,
               const QString&) override
    {
        const int id = lastId;
        messages.push_back(id);
        const QString base = englishPack().String(id) + QStringLiteral("\n\n");
        if (text.startsWith(base))
            reasons << text.mid(base.size());
        if (onMessage)
            onMessage(id);
        return buttons == Ok ? Ok : Button(int(answer));
    }
    QString ChooseFolder(QWidget*, const QString&, const QString&) override { return chosenFolder; }
};

// The frame's services over the English pack and the recorder; a test may
// put its own skin files or toolbars in place.
class TestFrameServices : public FrameServices
{
public:
    explicit TestFrameServices(Recorder& rec) : m_rec(rec) {}

    std::function<QString(scriva::settings::Key)> skinFile; // unset: the pack's skin
    std::function<QJsonValue(int)> toolbar;                 // unset: the pack's toolbars

    IWindowServices& Window() const override { return m_rec; }
    QJsonValue Menu(int id) const override { return englishPack().Menu(id); }
    QJsonValue Toolbar(int id) const override
    {
        return toolbar ? toolbar(id) : englishPack().Toolbar(id);
    }
    QPixmap Bitmap(int id) const override { return englishPack().Bitmap(id); }
    QString SkinFile(scriva::settings::Key key) const override
    {
        if (skinFile)
            return skinFile(key);
        return englishPack().FilePath(QStringLiteral("skin/") + QLatin1String(key.name) + ".bmp");
    }
    QString SaveFolder() const override { return m_rec.saveFolder; }
    bool IsBusy() const override { return m_rec.busy; }
    bool OpenFile(const QString& path) override
    {
        m_rec.opened << path;
        return true;
    }

private:
    Recorder& m_rec;
};

// A capture view over a camera that always starts.
class StartingVideoView : public CVideoView
{
public:
    using CVideoView::CVideoView;
    bool StartCapture() override
    {
        m_capturing = true;
        return true;
    }
};

// No camera source at all, for as long as it lives: a capture view cannot start.
struct NoCamera
{
    QByteArray saved = qgetenv("SCRIVA_CAMERA");
    NoCamera() { qputenv("SCRIVA_CAMERA", "none"); }
    ~NoCamera()
    {
        if (saved.isNull())
            qunsetenv("SCRIVA_CAMERA");
        else
            qputenv("SCRIVA_CAMERA", saved);
    }
};

// Document, recorder and frame together; the frame goes first.
struct Fixture
{
    CScrivaDoc doc;
    Recorder rec;
    TestFrameServices services{rec};
    std::unique_ptr<CMainFrame> frame;

    explicit Fixture(QSize size = QSize(1024, 768))
    {
        frame = std::make_unique<CMainFrame>(services, doc);
        frame->resize(size);
        frame->show();
        QCoreApplication::processEvents();
    }
    ~Fixture() { frame.reset(); }
};

} // namespace frametest
