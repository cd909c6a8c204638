#include "PdfExportRunner.h"

#include "config/CommandIds.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>

namespace scriva::exporter {

namespace {

QString packString(const PdfExportUi& ui, int id)
{
    return ui.string ? ui.string(id) : QString();
}

} // namespace

QString ExportFailureText(const QString& pdfPath, const PdfExportResult& result,
                          const std::function<QString(int)>& string)
{
    QString text = string ? string(str::kFileNotWritten) : QString();
    if (text.isEmpty())
        text = QStringLiteral("The file could not be written:");
    text += QStringLiteral("\n") + pdfPath + QStringLiteral("\n") + result.Message();
    return text;
}

bool RunPdfExport(const QString& pdfPath, const QStringList& images, const PdfExportUi& ui)
{
    if (images.isEmpty()) {
        if (ui.showMessage)
            ui.showMessage(str::kNothingToExport);
        return false;
    }
    QString cancelText = packString(ui, str::kButtonCancel);
    if (cancelText.isEmpty())
        cancelText = QStringLiteral("Cancel");
    // The box shows at once: it is also what keeps the user from changing the
    // images while they are read.
    QProgressDialog progress(QFileInfo(pdfPath).fileName(), cancelText, 0, int(images.size()),
                             ui.parent);
    progress.setWindowTitle(packString(ui, str::kBoxTitle));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setValue(0);
    progress.show();
    std::atomic<bool> cancel{false};
    QObject::connect(&progress, &QProgressDialog::canceled, [&cancel] { cancel = true; });

    PdfExportOptions options;
    options.cancel = &cancel;
    options.threads = ui.threads;
    QPointer<QProgressDialog> box(&progress);
    options.progress = [box](int done, int) {
        // From the export's thread: the box is updated on its own thread.
        QMetaObject::invokeMethod(
            box,
            [box, done] {
                if (box)
                    box->setValue(done);
            },
            Qt::QueuedConnection);
    };
    QFutureWatcher<PdfExportResult> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<PdfExportResult>::finished, &loop,
                     &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([=] { return ExportPdf(pdfPath, images, options); }));
    loop.exec();
    progress.close();

    const PdfExportResult result = watcher.result();
    if (result.ok())
        return true;
    if (result.status != PdfExportStatus::Cancelled && ui.showText)
        ui.showText(ExportFailureText(pdfPath, result, ui.string));
    return false;
}

} // namespace scriva::exporter
