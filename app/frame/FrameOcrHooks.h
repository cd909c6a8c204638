#pragma once
// The recognition commands' view of the main frame: its recognition settings
// and busy state (from the frame's services), the thumbnail selection and
// list, the document's image and tools, the text pane and the search bar. The
// frame owns it. User-interface thread only.

#include "ocr/ui/RecognitionCommands.h"

class CMainFrame;

class FrameOcrHooks : public OcrHooks
{
public:
    explicit FrameOcrHooks(CMainFrame& frame) : m_frame(frame) {}

    scriva::ocr::OcrSettings Settings() const override;
    QWidget* DialogParent() const override;
    int RightAreaMode() const override;
    QStringList SelectedPaths() const override;
    QStringList AllFiles() const override;
    const CxImage* Image() const override;
    void SetTool(int tool) override;
    CRecognizeView* Pane() const override;
    void ShowResultPane(bool half) override;
    void ShowSearchBar() override;
    QString SearchText() const override;
    void ShowFiles(const QStringList& paths) override;
    void OpenPath(const QString& path) override;
    void SetBusy(bool on) override;

private:
    CMainFrame& m_frame;
};
