#include "HpdfDocument.h"

#include "config/NativePath.h"
#include "image/cximage/CxSafeFile.h"

#include <algorithm>
#include <hpdf.h>
#include <vector>

namespace scriva::exporter {

namespace {

constexpr HPDF_REAL kOpenZoom = 1.0f;
constexpr HPDF_UINT32 kCopyChunk = 1 << 20; // bytes moved from the library's stream per write

void HPDF_STDCALL onLibraryError(HPDF_STATUS errorNo, HPDF_STATUS detail, void* userData)
{
    static_cast<HpdfDocument*>(userData)->RecordLibraryError(errorNo, detail);
}

HPDF_Doc doc(void* handle)
{
    return static_cast<HPDF_Doc>(handle);
}

} // namespace

HpdfDocument::HpdfDocument()
{
    m_doc = HPDF_New(onLibraryError, this);
    if (!m_doc)
        Fail(QStringLiteral("the PDF library could not start (out of memory)"));
}

HpdfDocument::~HpdfDocument()
{
    if (m_doc)
        HPDF_Free(doc(m_doc));
}

void HpdfDocument::RecordLibraryError(unsigned long errorNo, unsigned long detail)
{
    if (m_errorNo != 0)
        return; // the first error says what went wrong; the rest follow from it
    m_errorNo = errorNo;
    m_errorDetail = detail;
}

bool HpdfDocument::Fail(const QString& text)
{
    m_errorText = text;
    return false;
}

bool HpdfDocument::LibraryFailed(const char* call)
{
    QString text = QStringLiteral("PDF library error 0x%1 (detail %2) in %3")
                       .arg(m_errorNo, 4, 16, QLatin1Char('0'))
                       .arg(m_errorDetail)
                       .arg(QLatin1String(call));
    const QString words = DescribeLibraryError(m_errorNo);
    if (!words.isEmpty())
        text = words + QStringLiteral(" (") + text + QLatin1Char(')');
    return Fail(text);
}

bool HpdfDocument::AddJpegPage(const uint8_t* jpeg, size_t size, int rotation)
{
    if (!IsValid())
        return Fail(m_errorText.isEmpty() ? QStringLiteral("the PDF document failed earlier")
                                          : m_errorText);
    HPDF_Page page = HPDF_AddPage(doc(m_doc));
    if (!page)
        return LibraryFailed("AddPage");
    HPDF_Destination destination = HPDF_Page_CreateDestination(page);
    if (!destination)
        return LibraryFailed("CreateDestination");
    // The open action's top is the page height as created, before the page is sized.
    if (HPDF_Destination_SetXYZ(destination, 0, HPDF_Page_GetHeight(page), kOpenZoom) != HPDF_OK ||
        HPDF_SetOpenAction(doc(m_doc), destination) != HPDF_OK)
        return LibraryFailed("SetOpenAction");
    HPDF_Image image = HPDF_LoadJpegImageFromMem(doc(m_doc), jpeg, HPDF_UINT(size));
    if (!image)
        return LibraryFailed("LoadJpegImageFromMem");
    const HPDF_REAL width = HPDF_REAL(HPDF_Image_GetWidth(image));
    const HPDF_REAL height = HPDF_REAL(HPDF_Image_GetHeight(image));
    if (HPDF_Page_SetWidth(page, width) != HPDF_OK || HPDF_Page_SetHeight(page, height) != HPDF_OK)
        return LibraryFailed("SetWidth/SetHeight");
    if (HPDF_Page_DrawImage(page, image, 0, 0, width, height) != HPDF_OK)
        return LibraryFailed("DrawImage");
    if (rotation != 0 && HPDF_Page_SetRotate(page, HPDF_UINT16(rotation)) != HPDF_OK)
        return LibraryFailed("SetRotate");
    return true;
}

bool HpdfDocument::SaveToFile(const QString& path)
{
    if (!IsValid())
        return Fail(QStringLiteral("the PDF document failed earlier"));
    // The document is laid out in the library's memory stream and written by the program's
    // one saving rule: a temporary beside the target renamed over it once every byte is
    // written and synced; a FIFO is written into; a write-protected file is refused.
    CxSafeFile file;
    if (!file.Open(NativePathString(path)))
        return Fail(QString::fromLocal8Bit(file.Error()));
    if (HPDF_SaveToStream(doc(m_doc)) != HPDF_OK)
        return LibraryFailed("SaveToStream");
    HPDF_UINT32 left = HPDF_GetStreamSize(doc(m_doc));
    std::vector<HPDF_BYTE> chunk(std::min(left, kCopyChunk));
    while (left > 0) {
        // Exactly what is left, never past the end (the library takes that for an error).
        HPDF_UINT32 size = std::min(left, kCopyChunk);
        if (HPDF_ReadFromStream(doc(m_doc), chunk.data(), &size) != HPDF_OK || size == 0)
            return LibraryFailed("ReadFromStream");
        if (!file.Write(chunk.data(), size))
            return Fail(QString::fromLocal8Bit(file.Error()));
        left -= size;
    }
    if (!file.Commit())
        return Fail(QString::fromLocal8Bit(file.Error()));
    return true;
}

QString DescribeLibraryError(unsigned long errorNo)
{
    switch (errorNo) {
    case HPDF_PAGE_INVALID_SIZE:
        return QStringLiteral("a page must be 3 to 14400 pixels wide and high");
    case HPDF_FAILD_TO_ALLOC_MEM:
        return QStringLiteral("out of memory");
    case HPDF_FILE_IO_ERROR:
    case HPDF_FILE_OPEN_ERROR:
        return QStringLiteral("the file could not be written");
    case HPDF_INVALID_JPEG_DATA:
    case HPDF_UNSUPPORTED_JPEG_FORMAT:
        return QStringLiteral("the JPEG data cannot be embedded");
    default:
        return {};
    }
}

} // namespace scriva::exporter
