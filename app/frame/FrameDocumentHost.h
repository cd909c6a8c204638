#pragma once
// The document's host in the main frame: its boxes over the frame, the
// file-name prompt of the frame's services, the right-area mode and switch,
// the result pane, the recent files, the thumbnail column and the preset
// area's flag. The frame owns it. User-interface thread only.

#include "image/DocumentHost.h"

#include <memory>

class CMainFrame;
class FrameServices;

class FrameDocumentHost : public DocumentHost
{
public:
    FrameDocumentHost(CMainFrame& frame, FrameServices& services);
    ~FrameDocumentHost() override;

    QWidget* BoxParent() const override;
    bool PromptSaveName(QString& name, int& type, const QString& title) override;
    int RightAreaMode() const override;
    bool ProgramBusy() const override;
    void SwitchRightPane() override;
    void SwitchRightPaneLater() override;
    void ShowResultPane(bool half) override;
    void SetResultText(const QString& path, const QString& text) override;
    void KeepResultEdits() override;
    void AddRecentFile(const QString& path) override;
    IThumbList* Thumbs() const override;
    bool PresetAreaFlag() const override;
    void ClearPresetAreaFlag() override;
    void PresetAreaConfirmed() override;

private:
    CMainFrame& m_frame;
    FrameServices& m_services;
    std::unique_ptr<IThumbList> m_thumbs;
};
