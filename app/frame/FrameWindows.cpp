#include "app/frame/FrameWindows.h"

#include "app/frame/CMainFrame.h"
#include "app/frame/FrameImageCommands.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/LanguagePack.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"
#include "config/SettingsKeys.h"
#include "image/CScrivaDoc.h"
#include "ocr/ui/CRecognizeView.h"
#include "thumbs/ui/CThumbView.h"

#include <QFile>
#include <QTimer>

FrameServices FrameWindows::ServicesFor(CScrivaApp& app)
{
    FrameServices s;
    LanguagePack& pack = app.pack();
    s.menu = [&pack](int id) { return pack.Menu(id); };
    s.toolbar = [&pack](int id) { return pack.Toolbar(id); };
    s.bitmap = [&pack](int id) { return pack.Bitmap(id); };
    s.skinFile = [&app, &pack](scriva::settings::Key key) {
        const QString file = scriva::settings::ReadString(app.settings(), key);
        if (file.isEmpty())
            return QString();
        QString own = pack.FilePath(QStringLiteral("skin/") + file);
        if (!own.isEmpty())
            return own;
        QString folder = scriva::resolveDataPath(
            scriva::settings::ReadString(app.settings(), scriva::settings::kSkinFolder));
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        return folder + file;
    };
    s.saveFolder = [&app] { return scriva::settings::PhotoFolder(app.settings()); };
    s.isBusy = [&app] { return app.isBusy(); };
    s.setSwitching = [&app](bool on) { app.setBusy(CScrivaApp::BusySwitching, on); };
    // Thumbnail clicks and the column's deletions open through the document's
    // browsing path (an empty path clears it).
    s.openFile = [&app](const QString& path) {
        auto* windows = dynamic_cast<FrameWindows*>(app.windows());
        return windows && windows->document().OpenPath(path);
    };
    s.isEditing = [&app] { return app.isBusy(CScrivaApp::BusyEditing); };
    s.ocrSettings = [&app] { return scriva::ocr::OcrSettings::Read(app.settings()); };
    s.setRecognizing = [&app](bool on) { app.setBusy(CScrivaApp::BusyRecognizing, on); };
    s.settings = &app.settings();
    s.window = &app.windowServices();
    s.addRecentFile = [&app](const QString& path) { app.AddToRecentFileList(path); };
    s.setSetting = [&app](scriva::settings::Key key, const QString& value) {
        scriva::settings::WriteString(app.settings(), key, value);
    };
    s.photoSettings = [&app] { return &app.settings(); };
    s.settingsPath = [] { return scriva::userConfigFile(); };
    s.languageCode = [&app] { return app.languageCode(); };
    s.setTakingPhoto = [&app](bool on) { app.setBusy(CScrivaApp::BusyPhoto, on); };
    return s;
}

FrameWindows::FrameWindows(CScrivaApp& app)
    : m_doc(std::make_unique<CScrivaDoc>()),
      m_frame(std::make_unique<CMainFrame>(ServicesFor(app), *m_doc))
{
    // The application answers the commands no window takes.
    m_imageCommands = std::make_unique<FrameImageCommands>(app, *m_frame, *m_doc);
    FrameImageCommands* image = m_imageCommands.get();
    m_frame->router().setApplicationHandler(
        [&app, image](int id) { return image->OnCommand(id) || app.OnCommand(id); });
    m_frame->router().setApplicationUpdateRule([&app, image](int id) {
        const auto state = image->OnUpdateCommand(id);
        return state ? state : app.OnUpdateCommand(id);
    });
    m_frame->thumbView()->SetSettings(&app.settings());
    // The photos taken so far fill the column from the start, once the window
    // has its size.
    QTimer::singleShot(0, m_frame.get(), [thumbs = m_frame->thumbView(), &app] {
        thumbs->ScanFolder(scriva::settings::PhotoFolder(app.settings()));
    });
}

std::unique_ptr<IAppWindows> FrameWindows::Make(CScrivaApp& app)
{
    auto windows = std::make_unique<FrameWindows>(app);
    if (!windows->frame()->IsCreated())
        return nullptr;
    return windows;
}

FrameWindows::~FrameWindows()
{
    m_imageCommands.reset(); // its handlers leave the document first
    m_frame.reset();         // the views leave the document before it goes
}

QWidget* FrameWindows::Window() const
{
    return m_frame.get();
}

QMenu* FrameWindows::RecentFileMenu() const
{
    return m_frame->recentFileMenu();
}

int FrameWindows::RightAreaMode() const
{
    return m_frame->RightAreaMode();
}

bool FrameWindows::HasImage() const
{
    return m_doc->HasImage();
}

bool FrameWindows::SwitchRightPane()
{
    return m_frame->SwitchRightPane();
}

bool FrameWindows::DispatchCommand(int id)
{
    return m_frame->router().dispatch(id);
}

void FrameWindows::OpenPreviousFile()
{
    m_frame->router().dispatch(CScrivaDoc::CmdPreviousFile);
}

void FrameWindows::OpenNextFile()
{
    m_frame->router().dispatch(CScrivaDoc::CmdNextFile);
}

void FrameWindows::TakePhoto()
{
    m_frame->router().dispatch(scriva::cmd::kTakePhoto);
}

void FrameWindows::UpdateStatus(int what)
{
    m_doc->UpdateStatus(what);
}

bool FrameWindows::NewDocument()
{
    if (!m_doc->SaveModified())
        return false;
    m_doc->SetPathName(QString());
    return true;
}

bool FrameWindows::SaveModified()
{
    return m_doc->SaveModified();
}

QString FrameWindows::CurrentFile() const
{
    return m_doc->HasImage() ? m_doc->PathName() : QString();
}

bool FrameWindows::OpenFile(const QString& path)
{
    return m_doc->OpenDocument(path);
}

bool FrameWindows::OpenFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return false;
    for (const QString& path : paths)
        m_frame->thumbView()->AddFile(path);
    return OpenFile(paths.first());
}
