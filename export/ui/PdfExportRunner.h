#pragma once
// Export to PDF as the user meets it: the chosen images written by the export
// on a worker thread while a progress box counts the pages (it appears when
// the export takes longer than a moment) and offers Cancel; then one report of
// what went wrong, if anything. User-interface thread only; the box is modal.

#include "export/PdfExport.h"
#include "image/IWindowServices.h"
#include "image/PackText.h"

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace scriva::exporter {

struct PdfExportUi
{
    QWidget* parent = nullptr;
    // Its texts and boxes (none: no texts, nothing said); never owned.
    IWindowServices* window = nullptr;
    int threads = 0;             // page preparers; 0 = one per core
    PageRecognition recognition; // enabled: a searchable PDF
};

// True when the PDF was written. An empty list says so (nothing to export) and
// writes nothing; a cancel writes nothing and says nothing.
bool RunPdfExport(const QString& pdfPath, const QStringList& images, const PdfExportUi& ui);

// The searchable PDF's question: the language of the pages' text, as recognition
// knows it (code 1 Chinese and English, code 2 western languages), starting on
// `language`. Builds the dialog without running it (tests drive it); its combo box
// is named "language" and holds the codes as item data.
QDialog* MakeLanguageDialog(QWidget* parent, const PackText& string, int language);
// Runs it: false when cancelled, else true with the chosen code in `language`.
bool AskRecognitionLanguage(QWidget* parent, const PackText& string, int& language);

// The report of a failed export: the pack's "could not be written" line, the PDF
// path, and what failed.
QString ExportFailureText(const QString& pdfPath, const PdfExportResult& result,
                          const PackText& string);

} // namespace scriva::exporter
