#pragma once
// The program's own main window as the application object sees it: owns the
// document and the main frame made from the application's pack and settings,
// carries out what camera buttons and workers ask of the windows, and ends
// the frame's command chain (its image commands, then the application).
// User-interface thread only.

#include "app/frame/FrameServices.h"
#include "app/shell/IAppWindows.h"
#include "image/CommandTarget.h"

#include <memory>

class CConfigFile;
class CMainFrame;
class CScrivaApp;
class FrameImageCommands;
class CScrivaDoc;

// The frame's services taken from the application's pack and settings.
class AppFrameServices : public FrameServices
{
public:
    explicit AppFrameServices(CScrivaApp& app) : m_app(app) {}

    IWindowServices& Window() const override;
    QJsonValue Menu(int id) const override;
    QJsonValue Toolbar(int id) const override;
    QPixmap Bitmap(int id) const override;
    QString SkinFile(scriva::settings::Key key) const override;
    QString SaveFolder() const override;
    bool IsBusy() const override;
    void SetSwitching(bool on) override;
    bool OpenFile(const QString& path) override;
    bool IsEditing() const override;
    scriva::ocr::OcrSettings RecognitionSettings() const override;
    void SetRecognizing(bool on) override;
    const CConfigFile* Settings() const override;
    void AddRecentFile(const QString& path) override;
    void SetSetting(scriva::settings::Key key, const QString& value) override;
    CConfigFile* PhotoSettings() const override;
    QString SettingsPath() const override;
    QString LanguageCode() const override;
    void SetTakingPhoto(bool on) override;

private:
    CScrivaApp& m_app;
};

class FrameWindows : public IAppWindows, public ICommandTarget
{
public:
    explicit FrameWindows(CScrivaApp& app);
    ~FrameWindows() override;
    // The application's main window (CScrivaApp::SetDefaultWindowFactory); null when
    // the frame could not be made.
    static std::unique_ptr<IAppWindows> Make(CScrivaApp& app);

    CMainFrame* frame() const { return m_frame.get(); }
    CScrivaDoc& document() const { return *m_doc; }

    // The end of the frame's command chain: the image and export commands
    // the frame adds, then the application's own.
    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

    QWidget* Window() const override;
    // Where the window and its panes were when it last closed (the user's
    // settings), maximised when it was or when nothing was kept.
    void ShowWindow() override;
    QMenu* RecentFileMenu() const override;
    int RightAreaMode() const override;
    bool HasImage() const override;
    bool SwitchRightPane() override;
    bool DispatchCommand(int id) override;
    void OpenPreviousFile() override;
    void OpenNextFile() override;
    void TakePhoto() override;
    void UpdateStatus(int what) override;
    bool NewDocument() override;
    bool OpenFile(const QString& path) override;
    bool OpenFiles(const QStringList& paths) override; // all listed as thumbnails
    bool SaveModified() override;
    QString CurrentFile() const override;

private:
    CScrivaApp& m_app;
    AppFrameServices m_services; // outlives the frame
    std::unique_ptr<CScrivaDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<FrameImageCommands> m_imageCommands; // goes before the frame and document
};
