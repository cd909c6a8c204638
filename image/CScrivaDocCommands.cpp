// The document's commands and the rules that enable and check them.

#include "CScrivaDoc.h"
#include "EditOperation.h"
#include "IImageView.h"
#include "IThumbList.h"
#include "ViewGeometry.h"
#include "config/AppPaths.h"
#include "config/FileTypeTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QProcess>

namespace {

// The whole-image edits of the worker (mirror to resize and the page looks).
bool isEditCommand(int id)
{
    return scriva::image::IsEditCommand(id);
}

bool isLaterImageCommand(int id)
{
    switch (id) {
    case CScrivaDoc::CmdPrint:
    case CScrivaDoc::CmdPrintPreview:
    case CScrivaDoc::CmdPrintAt96Dpi:
        return true;
    default:
        return isEditCommand(id);
    }
}

} // namespace

void CScrivaDoc::SetCommandHandler(int id, std::function<void()> run)
{
    if (run)
        m_handlers[id] = std::move(run);
    else
        m_handlers.erase(id);
}

bool CScrivaDoc::imageCommandEnabled() const
{
    return HasImage() && !IsBusy() && ImageViewActive();
}

bool CScrivaDoc::OnCommand(int id)
{
    // In the capture view the zoom commands are the capture view's own.
    if ((id == CmdZoomIn || id == CmdZoomOut) && !ImageViewActive())
        return false;
    switch (id) {
    case CmdZoomIn:
        if (ZoomIn())
            UpdateStatus(StatusZoom);
        return true;
    case CmdZoomOut:
        if (ZoomOut())
            UpdateStatus(StatusZoom);
        return true;
    case CmdActualSize:
        SetZoom(1.0f);
        UpdateStatus(StatusZoom);
        return true;
    case CmdNextFile:
    case CmdPreviousFile:
        openNeighbour(id == CmdNextFile);
        return true;
    case CmdFirstFile:
    case CmdLastFile:
        if (IThumbList* thumbs = m_host->Thumbs())
            id == CmdFirstFile ? thumbs->OpenFirst() : thumbs->OpenLast();
        return true;
    case CmdUndo:
        OnUndo();
        return true;
    case CmdRedo:
        OnRedo();
        return true;
    case CmdSave:
        DoSave(m_pathName, true);
        return true;
    case CmdSaveAs:
        DoSave(QString(), true);
        return true;
    case CmdSaveCopyJpeg:
        saveCopyAsJpeg();
        return true;
    case CmdExportPdf:
        exportPdf();
        return true;
    case CmdSendMail:
        sendMail();
        return true;
    case CmdCropTool:
    case CmdHandTool:
    case CmdLassoTool:
        ToggleTool(id);
        return true;
    case CmdPresetAreaTool:
        ResetTool();
        m_tool = id;
        return true;
    case CmdClearPresetArea:
        m_host->ClearPresetAreaFlag();
        return true;
    default:
        break;
    }
    const auto handler = m_handlers.find(id);
    if (handler != m_handlers.end()) {
        const std::function<void()> run = handler->second;
        run();
        return true;
    }
    return false;
}

std::optional<CommandState> CScrivaDoc::OnUpdateCommand(int id) const
{
    const bool image = imageCommandEnabled();
    switch (id) {
    case CmdZoomIn:
        if (!ImageViewActive())
            return std::nullopt;
        return CommandState::Enabled(HasImage() && m_zoom < scriva::view::kZoomMax);
    case CmdZoomOut:
        if (!ImageViewActive())
            return std::nullopt;
        return CommandState::Enabled(HasImage() && m_zoom > scriva::view::kZoomMin);
    case CmdActualSize:
        return CommandState::Enabled(HasImage() && ImageViewActive());
    case CmdNextFile:
    case CmdPreviousFile:
    case CmdFirstFile:
    case CmdLastFile:
        return navigationState(id);
    case CmdUndo:
        return CommandState::Enabled(image && m_undo.CanUndo());
    case CmdRedo:
        return CommandState::Enabled(image && m_undo.CanRedo());
    case CmdSendMail:
    case CmdSave:
    case CmdSaveAs:
    case CmdSaveCopyJpeg:
    case CmdPrintSetup:
        return CommandState::Enabled(image);
    case CmdExportPdf:
        return CommandState::Enabled(image && m_pdfExporter != nullptr);
    case CmdPresetAreaTool:
    case CmdTextTool:
        return CommandState::Checked(image, m_tool == id);
    case CmdClearPresetArea:
        return CommandState::Enabled(image && m_presetOrigin.x() >= 0 && m_host->PresetAreaFlag());
    case CmdCropTool:
    case CmdHandTool:
    case CmdLassoTool:
    case CmdRegionTextTool:
    case CmdRegionTableTool:
        return toolState(id);
    default:
        break;
    }
    if (isLaterImageCommand(id))
        return CommandState::Enabled(image && m_handlers.count(id) != 0);
    return std::nullopt;
}

std::optional<CommandState> CScrivaDoc::toolState(int id) const
{
    bool enabled = imageCommandEnabled();
    if (id == CmdRegionTextTool || id == CmdRegionTableTool)
        enabled = enabled && m_regionRecognizer != nullptr;
    if (id == CmdHandTool && enabled) {
        // The hand only helps when the zoomed image is larger than the pane.
        const QSize zoomed =
            scriva::view::ZoomedSize(int(m_image->GetWidth()), int(m_image->GetHeight()), m_zoom);
        const QSize client = m_imageView ? m_imageView->ClientSize() : QSize();
        enabled = zoomed.width() > client.width() || zoomed.height() > client.height();
    }
    if (!enabled && m_tool == id) {
        // A tool that can no longer be used ends (outside this state query).
        auto* self = const_cast<CScrivaDoc*>(this);
        QMetaObject::invokeMethod(
            self,
            [self, id] {
                if (self->m_tool == id) {
                    self->ResetTool();
                    self->m_tool = 0;
                }
            },
            Qt::QueuedConnection);
    }
    return CommandState::Checked(enabled, enabled && m_tool == id);
}

std::optional<CommandState> CScrivaDoc::navigationState(int id) const
{
    IThumbList* thumbs = m_host->Thumbs();
    if (!thumbs || !imageCommandEnabled())
        return CommandState::Enabled(false);
    const bool towardEnd = id == CmdNextFile || id == CmdLastFile;
    return CommandState::Enabled(towardEnd ? !thumbs->IsLast() : !thumbs->IsFirst());
}

void CScrivaDoc::openNeighbour(bool next)
{
    IThumbList* thumbs = m_host->Thumbs();
    if (!thumbs)
        return;
    QString path;
    const bool moved = next ? thumbs->GetNextPath(path, true) : thumbs->GetPrevPath(path, true);
    if (moved && !path.isEmpty())
        OpenPath(path);
}

bool CScrivaDoc::saveCopyAsJpeg()
{
    if (!HasImage())
        return false;
    QString path = saveProposal(false);
    int type = scriva::FileTypeTable::Jpeg;
    if (!m_host->PromptSaveName(path, type, string(StrSaveCopyTitle))) {
        m_chosenType = 0;
        return false;
    }
    m_chosenType = type;
    const bool pdf = type == scriva::FileTypeTable::Pdf;
    const bool saved = OnSaveDocument(path);
    if (saved && !pdf)
        listCopyInThumbnails(path);
    return saved;
}

bool CScrivaDoc::exportPdf()
{
    if (!m_pdfExporter)
        return false;
    QString path = saveProposal(false);
    int type = scriva::FileTypeTable::Pdf;
    if (!m_host->PromptSaveName(path, type, QString())) {
        m_chosenType = 0;
        return false;
    }
    m_chosenType = type;
    return OnSaveDocument(path);
}

void CScrivaDoc::sendMail()
{
    if (!HasImage()) {
        messageId(StrNoImageToMail);
        return;
    }
    // Written here, on this thread: an edit or open cannot free the image
    // while it is encoded. The file stays until the program ends.
    const QString folder = scriva::cacheFolder() + QStringLiteral("mail/");
    QString base = QFileInfo(m_pathName).completeBaseName();
    if (base.isEmpty())
        base = QFileInfo(Title()).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("image");
    const QString file = folder + base + QStringLiteral(".bmp");
    if (!QDir().mkpath(folder)) {
        writeFailed(file, QString());
        return;
    }
    if (!m_image->Save(QFile::encodeName(file).toStdString(), CXIMAGE_FORMAT_BMP)) {
        writeFailed(file, QString::fromUtf8(m_image->GetLastError()));
        return;
    }
    auto* process = new QProcess(this);
    process->setProgram(m_mailProgram);
    process->setArguments({QStringLiteral("--attach"), file});
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            messageId(StrNoMailProgram);
            process->deleteLater();
        }
    });
    connect(process, &QProcess::finished, this,
            [this, process](int code, QProcess::ExitStatus status) {
                if (status != QProcess::NormalExit || code != 0)
                    messageId(StrNoMailProgram);
                process->deleteLater();
            });
    process->start();
}
