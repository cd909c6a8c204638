#include "PdfExportRunner.h"

#include "config/CommandIds.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QFormLayout>
#include <QFutureWatcher>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>

namespace scriva::exporter {

namespace {

QString packString(const PdfExportUi& ui, int id)
{
    return ui.window ? ui.window->Text(id) : QString();
}

QString textOr(const PackText& string, int id, const char* fallback)
{
    const QString text = string ? string(id) : QString();
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

} // namespace

QDialog* MakeLanguageDialog(QWidget* parent, const PackText& string, int language)
{
    auto* dialog = new QDialog(parent);
    dialog->setWindowTitle(textOr(string, str::kSearchablePdfTitle, "Searchable PDF"));
    auto* choice = new QComboBox(dialog);
    choice->setObjectName(QStringLiteral("language"));
    choice->addItem(textOr(string, str::kLanguageChineseEnglish, "Chinese and English"),
                    ocr::kLanguageChinese);
    choice->addItem(textOr(string, str::kLanguageWestern, "English and other western languages"),
                    ocr::kLanguageLatin);
    choice->setCurrentIndex(language == ocr::kLanguageChinese ? 0 : 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(textOr(string, str::kButtonOk, "OK"));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(textOr(string, str::kButtonCancel, "Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* form = new QFormLayout(dialog);
    form->addRow(textOr(string, str::kSearchablePdfLanguage, "Language of the text:"), choice);
    form->addRow(buttons);
    return dialog;
}

bool AskRecognitionLanguage(QWidget* parent, const PackText& string, int& language)
{
    QDialog* dialog = MakeLanguageDialog(parent, string, language);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (ok)
        language = dialog->findChild<QComboBox*>(QStringLiteral("language"))->currentData().toInt();
    delete dialog;
    return ok;
}

QString ExportFailureText(const QString& pdfPath, const PdfExportResult& result,
                          const PackText& string)
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
        if (ui.window)
            ui.window->Tell(ui.parent, str::kNothingToExport);
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
    options.recognition = ui.recognition;
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
    if (result.status != PdfExportStatus::Cancelled && ui.window)
        ui.window->Tell(ui.parent, ExportFailureText(pdfPath, result,
                                                     [&ui](int id) { return packString(ui, id); }));
    return false;
}

} // namespace scriva::exporter
