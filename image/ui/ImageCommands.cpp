#include "ImageCommands.h"

#include "FreeRotationDialog.h"
#include "ImagePrinter.h"
#include "ResizeDialog.h"
#include "WaitDialog.h"
#include "image/CScrivaDoc.h"

#include <QCoreApplication>

using namespace scriva;
using namespace scriva::image;

namespace {

// The person's answer, or the test's when it answered for them.
int answer(QDialog& dialog, bool answered)
{
    return answered ? dialog.result() : dialog.exec();
}

} // namespace

ImageCommands::ImageCommands(CScrivaDoc& doc, QWidget* window, QPrinter& printer, Host& host)
    : m_doc(doc), m_window(window), m_printer(printer), m_host(host)
{
    m_text = [this](int id) { return string(id); };
}

ImageCommands::~ImageCommands()
{
    for (int id : kEditCommands)
        m_doc.SetCommandHandler(id, {});
    for (int id : {cmd::kPrint, cmd::kPrintDirect, cmd::kPrintAt96Dpi, cmd::kPrintPreview})
        m_doc.SetCommandHandler(id, {});
}

void ImageCommands::Install()
{
    for (int id : kEditCommands)
        m_doc.SetCommandHandler(id, [this, id] { RunEdit(id); });
    m_doc.SetCommandHandler(cmd::kPrint, [this] { PrintImage(true); });
    m_doc.SetCommandHandler(cmd::kPrintDirect, [this] { PrintImage(false); });
    m_doc.SetCommandHandler(cmd::kPrintAt96Dpi, [this] { PrintAt96Dpi(); });
    m_doc.SetCommandHandler(cmd::kPrintPreview, [this] { PrintPreview(); });
}

QString ImageCommands::string(int id) const
{
    return m_doc.Window().Text(id);
}

void ImageCommands::report(const QString& text) const
{
    m_doc.Window().Tell(m_doc.Host().BoxParent(), text, IWindowServices::Icon::Critical);
}

void ImageCommands::message(int id) const
{
    m_doc.Window().Tell(m_doc.Host().BoxParent(), id);
}

void ImageCommands::RunEdit(int command)
{
    if (!m_doc.HasImage() || m_job.IsRunning() || m_doc.IsBusy())
        return;
    if (command == cmd::kRotateFree)
        askRotation();
    else if (command == cmd::kResize)
        askSize();
    else
        startWorker({command});
}

void ImageCommands::askRotation()
{
    FreeRotationDialog dialog(m_text, m_window);
    dialog.report = [this](const QString& text) { report(text); };
    dialog.SetAngle(FreeRotationDialog::DefaultAngle); // never the last angle
    if (answer(dialog, m_host.AnswerRotation(dialog)) != QDialog::Accepted)
        return;
    EditRequest request{cmd::kRotateFree};
    request.angle = dialog.Angle();
    request.keepSize = dialog.KeepSize();
    startWorker(request);
}

void ImageCommands::askSize()
{
    const CxImage& image = *m_doc.GetImage();
    ResizeDialog dialog(int(image.GetWidth()), int(image.GetHeight()), m_text, m_window);
    dialog.report = [this](const QString& text) { report(text); };
    if (answer(dialog, m_host.AnswerSize(dialog)) != QDialog::Accepted)
        return;
    if (ResizeTooLarge(dialog.NewWidth(), dialog.NewHeight())) {
        report(QString::fromLatin1(kSizeExceeded));
        return;
    }
    EditRequest request{cmd::kResize};
    request.newWidth = dialog.NewWidth();
    request.newHeight = dialog.NewHeight();
    startWorker(request);
}

void ImageCommands::startWorker(const EditRequest& request)
{
    if (!m_doc.HasImage())
        return; // a dialog's box may have let the image go
    m_doc.ResetTool();
    m_doc.SetTool(0);
    m_doc.PushUndo(); // kept even when the edit then fails
    setBusy(true);
    // The box exists and listens before the worker starts: its end cannot be missed.
    WaitDialog wait(m_text, m_window);
    connect(&m_job, &EditJob::finished, &wait, &WaitDialog::Finish, Qt::QueuedConnection);
    if (!m_job.Start(*m_doc.GetImage(), request)) {
        setBusy(false);
        return;
    }
    wait.exec();
    finishEdit(request.command);
}

void ImageCommands::setBusy(bool on)
{
    m_doc.SetWorkerBusy(on);
    m_host.BusyChanged(on);
}

void ImageCommands::finishEdit(int command)
{
    const EditResult result = m_job.Result();
    if (result == EditResult::Done)
        m_doc.SetImage(m_job.TakeImage());
    setBusy(false);
    if (result == EditResult::Failed)
        report(m_job.ErrorText());
    m_host.EditDone(command);
    if (result == EditResult::OutOfMemory) {
        message(str::kRotationNoMemory);
        QCoreApplication::exit(1);
    }
}

ImagePrinter ImageCommands::makePrinter() const
{
    ImagePrinter printer(m_printer, m_window, m_text);
    printer.modes = &m_host;
    printer.window = &m_doc.Window();
    return printer;
}

void ImageCommands::PrintImage(bool askFirst)
{
    if (m_doc.HasImage())
        makePrinter().Print(*m_doc.GetImage(), askFirst);
}

void ImageCommands::PrintAt96Dpi()
{
    m_host.SetPrintMode(mode::kPrintActualSize);
    PrintImage(true);
}

void ImageCommands::PrintPreview()
{
    if (!m_doc.HasImage())
        return;
    makePrinter().Preview(
        [this]() -> const CxImage* { return m_doc.HasImage() ? m_doc.GetImage() : nullptr; });
}
