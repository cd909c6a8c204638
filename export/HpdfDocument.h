#pragma once
// A PDF document being built with libharu: pages that each show one JPEG picture
// at one point per pixel, and a save that writes beside the target and renames,
// so that a failed save leaves no partial file and an older file of that name
// intact. The library's errors are caught by an error handler that only records
// them (nothing unwinds through the library); every call's result is checked and
// the first error stops the work. One thread at a time (libharu is not shared).

#include <QString>
#include <cstddef>
#include <cstdint>

namespace scriva::exporter {

class HpdfDocument
{
public:
    HpdfDocument();
    ~HpdfDocument(); // frees the library's document on every path
    HpdfDocument(const HpdfDocument&) = delete;
    HpdfDocument& operator=(const HpdfDocument&) = delete;

    bool IsValid() const { return m_doc != nullptr && m_errorNo == 0; }

    // Adds a page exactly the size of the picture, draws it at (0, 0) and makes the
    // page the document's open action (so the last page's stays); a viewer shows
    // the page turned clockwise by rotation degrees (0, 90, 180 or 270). The bytes
    // are copied by the library.
    bool AddJpegPage(const uint8_t* jpeg, size_t size, int rotation = 0);

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

    void* m_doc = nullptr;
    unsigned long m_errorNo = 0;
    unsigned long m_errorDetail = 0;
    QString m_errorText;
};

// Plain words for the library errors a user can meet; empty for the others.
QString DescribeLibraryError(unsigned long errorNo);

} // namespace scriva::exporter
