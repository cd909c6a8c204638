#include "app/frame/FrameImageCommands.h"

#include "app/frame/CMainFrame.h"
#include "app/shell/AppEvent.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/LanguagePack.h"
#include "capture_view/ui/CVideoView.h"
#include "capture_view/ui/CameraPrint.h"
#include "config/CommandIds.h"
#include "export/ui/PdfExportRunner.h"
#include "image/CScrivaDoc.h"
#include "image/ui/ImageCommands.h"
#include "image/ui/ImagePrinter.h"
#include "thumbs/ui/CThumbView.h"

#include <QCoreApplication>

using namespace scriva;

FrameImageCommands::FrameImageCommands(CScrivaApp& app, CMainFrame& frame, CScrivaDoc& doc)
    : m_app(app), m_frame(frame), m_doc(doc),
      m_commands(std::make_unique<ImageCommands>(doc, &frame, app.printer()))
{
    CMainFrame* f = &frame;
    CScrivaApp* a = &app;
    m_commands->printMode = [f] { return f->PrintMode(); };
    m_commands->setPrintMode = [f](int mode) {
        f->router().dispatch(mode == mode::kPrintActualSize ? cmd::kPrintActual : cmd::kPrintFit);
    };
    m_commands->editDone = [](int command) {
        QCoreApplication::postEvent(QCoreApplication::instance(),
                                    new AppEvent(msg::kEditDone, uintptr_t(command), 0));
    };
    m_commands->busyChanged = [a](bool on) { a->setBusy(CScrivaApp::BusyEditing, on); };
    m_commands->Install();
    doc.SetPdfExporter([this](const QString& path) { return exportPdf(path); });
}

FrameImageCommands::~FrameImageCommands()
{
    m_doc.SetPdfExporter({});
}

bool FrameImageCommands::exportPdf(const QString& path)
{
    CThumbView* thumbs = m_frame.thumbView();
    if (thumbs && thumbs->IsBuilding()) {
        AppMessageBox(&m_frame, str::kThumbnailsBuilding);
        return false;
    }
    exporter::PdfExportUi ui;
    ui.parent = &m_frame;
    ui.string = [](int id) { return LanguagePack::Text(id); };
    ui.showText = [f = &m_frame](const QString& text) { AppMessageBox(f, text); };
    ui.showMessage = [f = &m_frame](int id) { AppMessageBox(f, id); };
    return exporter::RunPdfExport(path, thumbs ? thumbs->SelectedPaths() : QStringList(), ui);
}

void FrameImageCommands::printCameraPicture()
{
    CVideoView* video = m_frame.videoView();
    if (!video)
        return;
    ImagePrinter printer(m_app.printer(), &m_frame, [](int id) { return LanguagePack::Text(id); });
    printer.printMode = [f = &m_frame] { return f->PrintMode(); };
    printer.showMessage = [f = &m_frame](int id) { AppMessageBox(f, id); };
    PrintCameraPicture(*video, printer, true);
}

bool FrameImageCommands::OnCommand(int id)
{
    if (id != cmd::kPrintCameraPicture)
        return false;
    printCameraPicture();
    return true;
}

std::optional<CommandState> FrameImageCommands::OnUpdateCommand(int id) const
{
    if (id != cmd::kPrintCameraPicture)
        return std::nullopt;
    return CommandState::Enabled(m_frame.RightAreaMode() == mode::kCapture &&
                                 m_frame.videoView() != nullptr && !m_app.isBusy());
}
