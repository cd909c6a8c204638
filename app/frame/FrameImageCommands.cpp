#include "app/frame/FrameImageCommands.h"

#include "app/frame/CMainFrame.h"
#include "app/shell/AppEvent.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/LanguagePack.h"
#include "capture_view/ui/CVideoView.h"
#include "capture_view/ui/CameraPrint.h"
#include "config/CommandIds.h"
#include "config/FileTypeTable.h"
#include "export/ui/FileNamePrompt.h"
#include "export/ui/PdfExportRunner.h"
#include "image/CScrivaDoc.h"
#include "image/ui/ImageCommands.h"
#include "image/ui/ImagePrinter.h"
#include "ocr/OcrSettings.h"
#include "thumbs/ui/CThumbView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace scriva;

FrameImageCommands::FrameImageCommands(CScrivaApp& app, CMainFrame& frame, CScrivaDoc& doc)
    : m_app(app), m_frame(frame), m_doc(doc),
      m_commands(std::make_unique<ImageCommands>(doc, &frame, app.printer(), *this))
{
    m_commands->Install();
    doc.SetPdfExporter([this](const QString& path) { return exportPdf(path); });
}

int FrameImageCommands::PrintMode() const
{
    return m_frame.PrintMode();
}

void FrameImageCommands::SetPrintMode(int mode)
{
    m_frame.router().dispatch(mode == mode::kPrintActualSize ? cmd::kPrintActual : cmd::kPrintFit);
}

void FrameImageCommands::EditDone(int command)
{
    QCoreApplication::postEvent(QCoreApplication::instance(),
                                new AppEvent(msg::kEditDone, uintptr_t(command), 0));
}

void FrameImageCommands::BusyChanged(bool running)
{
    m_app.setBusy(CScrivaApp::BusyEditing, running);
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
    ui.window = &m_app.windowServices();
    return exporter::RunPdfExport(path, thumbs ? thumbs->SelectedPaths() : QStringList(), ui);
}

bool FrameImageCommands::exportSearchablePdf()
{
    CThumbView* thumbs = m_frame.thumbView();
    if (thumbs && thumbs->IsBuilding()) {
        AppMessageBox(&m_frame, str::kThumbnailsBuilding);
        return false;
    }
    const QStringList images = thumbs ? thumbs->SelectedPaths() : QStringList();
    if (images.isEmpty()) {
        AppMessageBox(&m_frame, str::kNothingToExport);
        return false;
    }
    const auto string = [](int id) { return LanguagePack::Text(id); };
    // Named after the first page, beside it; a PDF whatever filter is picked.
    const QFileInfo first(images.first());
    QString path = first.dir().filePath(first.completeBaseName() + QStringLiteral(".pdf"));
    int type = FileTypeTable::Pdf;
    if (!PromptFileName(&m_frame, path, false, type))
        return false;
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        path = QFileInfo(path).dir().filePath(QFileInfo(path).completeBaseName() +
                                              QStringLiteral(".pdf"));
    const ocr::OcrSettings settings = ocr::OcrSettings::Read(m_app.settings());
    int language = ocr::DefaultLanguageFor(settings.interfaceCode);
    if (!exporter::AskRecognitionLanguage(&m_frame, string, language))
        return false;

    exporter::PdfExportUi ui;
    ui.parent = &m_frame;
    ui.window = &m_app.windowServices();
    ui.recognition.enabled = true;
    ui.recognition.language = language;
    ui.recognition.settings = [settings] { return settings; };
    // The texts the program has recognised (or the user has edited) are the pages'
    // words; an entry that only says recognition failed is none.
    const QString failure = string(str::kNotRecognised);
    auto held = std::make_shared<std::map<QString, QString>>();
    for (const auto& [file, text] : m_doc.RecognisedTexts())
        if (!text.trimmed().isEmpty() && (failure.isEmpty() || !text.startsWith(failure)))
            held->emplace(file, text);
    ui.recognition.storedText = [held](const QString& file, QString& text) {
        const auto it = held->find(file);
        if (it == held->end())
            return false;
        text = it->second;
        return true;
    };
    return exporter::RunPdfExport(path, images, ui);
}

void FrameImageCommands::printCameraPicture()
{
    CVideoView* video = m_frame.videoView();
    if (!video)
        return;
    ImagePrinter printer(m_app.printer(), &m_frame, [](int id) { return LanguagePack::Text(id); });
    printer.modes = this; // read only: a camera picture is printed without the preview
    printer.window = &m_app.windowServices();
    PrintCameraPicture(*video, printer, true);
}

bool FrameImageCommands::OnCommand(int id)
{
    if (id == cmd::kExportSearchablePdf) {
        if (!m_app.isBusy())
            exportSearchablePdf();
        return true;
    }
    if (id != cmd::kPrintCameraPicture)
        return false;
    printCameraPicture();
    return true;
}

std::optional<CommandState> FrameImageCommands::OnUpdateCommand(int id) const
{
    if (id == cmd::kExportSearchablePdf) // offered where Export to PDF is
        return CommandState::Enabled(
            m_doc.OnUpdateCommand(cmd::kExportPdf).value_or(CommandState::Enabled(false)).enabled &&
            !m_app.isBusy());
    if (id != cmd::kPrintCameraPicture)
        return std::nullopt;
    return CommandState::Enabled(m_frame.RightAreaMode() == mode::kCapture &&
                                 m_frame.videoView() != nullptr && !m_app.isBusy());
}
