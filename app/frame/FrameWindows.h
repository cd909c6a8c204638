#pragma once
// The program's own main window as the application object sees it: owns the
// document and the main frame made from the application's pack and settings,
// and carries out what camera buttons and workers ask of the windows.
// User-interface thread only.

#include "app/frame/FrameServices.h"
#include "app/shell/IAppWindows.h"

#include <memory>

class CMainFrame;
class CScrivaApp;
class FrameImageCommands;
class CScrivaDoc;

class FrameWindows : public IAppWindows
{
public:
    explicit FrameWindows(CScrivaApp& app);
    ~FrameWindows() override;
    // The application's main window (CScrivaApp::SetDefaultWindowFactory); null when
    // the frame could not be made.
    static std::unique_ptr<IAppWindows> Make(CScrivaApp& app);

    // The frame's services taken from the application's pack and settings.
    static FrameServices ServicesFor(CScrivaApp& app);

    CMainFrame* frame() const { return m_frame.get(); }
    CScrivaDoc& document() const { return *m_doc; }

    QWidget* Window() const override;
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
    std::unique_ptr<CScrivaDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<FrameImageCommands> m_imageCommands; // goes before the frame and document
};
