#pragma once
// A PDF document being built with libharu: pages that each show one picture
// (a JPEG, or black and white as CCITT G4) at its resolution, optionally with an
// invisible text layer of its words, the document's information (title, dates,
// the program that made it) and its first page as the open view; and a save that writes beside the
// target and renames, so that a failed save leaves no partial file and an older file of that name
// intact. The library's errors are caught by an error handler that only records
// them (nothing unwinds through the library); every call's result is checked and
// the first error stops the work. One thread at a time (libharu is not shared).

#include <QDateTime>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace scriva::exporter {

struct PdfPage;
class PdfTextLayer;

// "Scriva " and the program's version: the producer and creator of its PDFs.
QString ProducerName();

class HpdfDocument
{
public:
    HpdfDocument();
    ~HpdfDocument(); // frees the library's document on every path
    HpdfDocument(const HpdfDocument&) = delete;
    HpdfDocument& operator=(const HpdfDocument&) = delete;

    bool IsValid() const { return m_doc != nullptr && m_errorNo == 0; }

    // Adds a page exactly the size of the picture, draws it at (0, 0); the first
    // page is the document's open view; a viewer shows the page turned clockwise by
    // rotation degrees (0, 90, 180 or 270). The bytes are copied by the library.
    // widthPt/heightPt: the page's size in points; 0 for one point per pixel.
    bool AddJpegPage(const uint8_t* jpeg, size_t size, int rotation = 0, double widthPt = 0,
                     double heightPt = 0);
    // The prepared page: its picture at its size in points, then its words.
    bool AddPage(const PdfPage& page);
    // Title (may be empty), creation date, producer and creator.
    bool SetInformation(const QString& title, const QDateTime& created);

    // Writes the document to path by the program's saving rule (CxSafeFile): a symbolic
    // link's target is replaced, a FIFO written into, a write-protected file refused, and on
    // any failure (a full disk too) an older file stays as it was. False with the system's
    // reason in ErrorText().
    bool SaveToFile(const QString& path);

    // The first library error: its number and detail number, 0 when none.
    unsigned long ErrorNumber() const { return m_errorNo; }
    unsigned long ErrorDetail() const { return m_errorDetail; }
    // Why the last call failed, one line of English.
    const QString& ErrorText() const { return m_errorText; }

    // Records a library error (called by the library's error handler).
    void RecordLibraryError(unsigned long errorNo, unsigned long detail);

private:
    bool Fail(const QString& text);
    bool LibraryFailed(const char* call);

    bool addPicture(void* image, int rotation, double widthPt, double heightPt);
    bool setText(const char* key, const QString& text);

    void* m_doc = nullptr;
    void* m_lastPage = nullptr;
    int m_pages = 0;
    std::unique_ptr<PdfTextLayer> m_text;
    unsigned long m_errorNo = 0;
    unsigned long m_errorDetail = 0;
    QString m_errorText;
};

// Plain words for the library errors a user can meet; empty for the others.
QString DescribeLibraryError(unsigned long errorNo);

} // namespace scriva::exporter
