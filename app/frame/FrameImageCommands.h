#pragma once
// Connects the image editing, printing and PDF export to the main window: the
// document's edit and print commands with the application's printer and the
// frame's print mode, the edit's end posted to the application (0x7E9) and its
// busy state kept there, the export of the selected thumbnails (also as a
// searchable PDF, 32894, with the texts the program holds), and printing the
// live camera picture (32805) while the capture view is shown.
// User-interface thread only.

#include "image/CommandTarget.h"
#include "image/ui/ImageCommands.h"

#include <memory>
#include <optional>

class CMainFrame;
class CScrivaApp;
class CScrivaDoc;
class QString;

class FrameImageCommands : public ImageCommands::Host
{
public:
    FrameImageCommands(CScrivaApp& app, CMainFrame& frame, CScrivaDoc& doc);
    ~FrameImageCommands();

    // The commands of the main window that no view or document takes here.
    bool OnCommand(int id);
    std::optional<CommandState> OnUpdateCommand(int id) const;

    // The frame's print mode, the edit's end and the busy state (ImageCommands::Host).
    int PrintMode() const override;
    void SetPrintMode(int mode) override;
    void EditDone(int command) override;
    void BusyChanged(bool running) override;

private:
    bool exportPdf(const QString& path);
    // The selected thumbnails as a searchable PDF: file name, recognition language,
    // then the export with the progress box.
    bool exportSearchablePdf();
    void printCameraPicture();

    CScrivaApp& m_app;
    CMainFrame& m_frame;
    CScrivaDoc& m_doc;
    std::unique_ptr<ImageCommands> m_commands;
};
