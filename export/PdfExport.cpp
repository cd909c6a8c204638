#include "PdfExport.h"

#include "HpdfDocument.h"
#include "PdfPage.h"

#include <QFuture>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <deque>

namespace scriva::exporter {

namespace {

// Pages prepared ahead of the one being added, per preparing thread: enough to
// keep the pool busy while the document takes a page, few enough to bound memory.
constexpr int kPagesAheadPerThread = 2;

bool cancelled(const PdfExportOptions& options)
{
    return options.cancel && options.cancel->load();
}

// Keeps a window of page preparations running ahead of the consumer, in order.
class PagePipeline
{
public:
    PagePipeline(const QStringList& images, int threads, const PdfPageOptions& options)
        : m_images(images), m_window(threads * kPagesAheadPerThread), m_options(options)
    {
        m_pool.setMaxThreadCount(threads);
    }
    ~PagePipeline() { m_pool.waitForDone(); }

    // The next page in order (blocks until it is ready).
    PdfPage Next()
    {
        while (int(m_running.size()) < m_window && m_submitted < m_images.size())
            m_running.push_back(
                QtConcurrent::run(&m_pool, PreparePdfPage, m_images[m_submitted++], m_options));
        QFuture<PdfPage> front = m_running.front();
        m_running.pop_front();
        return front.result();
    }

private:
    const QStringList& m_images;
    const int m_window;
    const PdfPageOptions m_options;
    qsizetype m_submitted = 0;
    QThreadPool m_pool;
    std::deque<QFuture<PdfPage>> m_running;
};

PdfExportResult pageFailed(const QString& file, const QString& detail)
{
    PdfExportResult result;
    result.status = PdfExportStatus::PageFailed;
    result.file = file;
    result.detail = detail;
    return result;
}

PdfExportResult pdfFailed(const HpdfDocument& pdf, const QString& file = {})
{
    PdfExportResult result;
    result.status = PdfExportStatus::PdfFailed;
    result.file = file;
    result.detail = pdf.ErrorText();
    result.libraryError = pdf.ErrorNumber();
    result.libraryDetail = pdf.ErrorDetail();
    return result;
}

} // namespace

PdfExportResult ExportPdf(const QString& pdfPath, const QStringList& images,
                          const PdfExportOptions& options)
{
    PdfExportResult result;
    if (images.isEmpty())
        return result;
    HpdfDocument pdf;
    if (!pdf.IsValid() || !pdf.SetInformation(options.title, options.created.isValid()
                                                                 ? options.created
                                                                 : QDateTime::currentDateTime()))
        return pdfFailed(pdf);
    const int threads = options.threads > 0 ? options.threads : QThread::idealThreadCount();
    PdfPageOptions pageOptions;
    pageOptions.dpi = options.dpi;
    pageOptions.recognition = options.recognition;
    pageOptions.cancel = options.cancel;
    PagePipeline pipeline(images, std::max(1, threads), pageOptions);
    for (const QString& image : images) {
        if (cancelled(options)) {
            result.status = PdfExportStatus::Cancelled;
            return result;
        }
        const PdfPage page = pipeline.Next();
        if (!page.ok())
            return pageFailed(image, page.error);
        if (!pdf.AddPage(page))
            return pdfFailed(pdf, image);
        ++result.pages;
        result.passedThrough += page.passedThrough ? 1 : 0;
        result.blackAndWhite += page.bilevel.empty() ? 0 : 1;
        result.storedTexts += page.usedStoredText ? 1 : 0;
        result.words += int(page.words.size());
        if (options.progress)
            options.progress(result.pages, int(images.size()));
    }
    if (cancelled(options)) {
        result.status = PdfExportStatus::Cancelled;
        return result;
    }
    if (!pdf.SaveToFile(pdfPath)) {
        result = pdfFailed(pdf);
        result.target = pdfPath;
        return result;
    }
    result.status = PdfExportStatus::Written;
    return result;
}

QString PdfExportResult::Message() const
{
    switch (status) {
    case PdfExportStatus::Written:
        return QStringLiteral("%1 pages written").arg(pages);
    case PdfExportStatus::NothingToExport:
        return QStringLiteral("no images to export");
    case PdfExportStatus::Cancelled:
        return QStringLiteral("export cancelled, no PDF written");
    case PdfExportStatus::PageFailed:
        return QStringLiteral("cannot read '%1': %2").arg(file, detail);
    case PdfExportStatus::PdfFailed:
        if (!target.isEmpty())
            return QStringLiteral("cannot write '%1': %2").arg(target, detail);
        return file.isEmpty() ? QStringLiteral("cannot write the PDF: %1").arg(detail)
                              : QStringLiteral("cannot add '%1' to the PDF: %2").arg(file, detail);
    }
    return detail;
}

} // namespace scriva::exporter
