#pragma once
// Writes image files into one PDF, one picture per page in the order given, each
// page the size of its picture at the picture's resolution (one point per pixel
// when it has none), the first page the one a viewer opens on. A searchable PDF
// also carries each page's recognised words as invisible text over the words.
// Pages are made ready on a private thread pool (decode, JPEG in memory, or the
// file's own JPEG bytes, and recognition, one engine per thread) while the calling
// thread adds them to the document; the file is written beside
// its target and renamed, so a failure or a cancel leaves no PDF and an existing
// one intact. Touches no image but its own. Call from one thread at a time; the
// progress callback runs on the calling thread after each page.

#include "PdfPage.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace scriva::exporter {

struct PdfExportOptions
{
    std::function<void(int done, int total)> progress; // after each page is added
    const std::atomic<bool>* cancel = nullptr;         // checked before each page
    int threads = 0;                                   // page preparers; 0 = one per core
    int dpi = 0;       // every page's resolution instead of its picture's; 0 = the picture's
    QString title;     // the document's title; empty for none
    QDateTime created; // its creation date; invalid for now
    PageRecognition recognition; // enabled: a searchable PDF
};

enum class PdfExportStatus {
    Written,
    NothingToExport, // an empty list: no file written
    Cancelled,
    PageFailed, // an input file could not become a page
    PdfFailed,  // the PDF library or the file system refused
};

struct PdfExportResult
{
    PdfExportStatus status = PdfExportStatus::NothingToExport;
    int pages = 0;                   // pages written
    int passedThrough = 0;           // of them, JPEG files embedded unchanged
    int blackAndWhite = 0;           // of them, pictures kept as one bit per pixel
    int storedTexts = 0;             // of them, pages whose text the program held
    int words = 0;                   // words in the text layer
    QString file;                    // PageFailed: the input file
    QString target;                  // PdfFailed while writing the file: the PDF's path
    QString detail;                  // why, one line of English
    unsigned long libraryError = 0;  // PdfFailed by the library: its error number
    unsigned long libraryDetail = 0; // and its detail number

    bool ok() const { return status == PdfExportStatus::Written; }
    // One line for a terminal or a message box: what failed and why.
    QString Message() const;
};

PdfExportResult ExportPdf(const QString& pdfPath, const QStringList& images,
                          const PdfExportOptions& options = {});

} // namespace scriva::exporter
