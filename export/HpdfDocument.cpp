#include "HpdfDocument.h"

#include "PdfPage.h"
#include "PdfTextLayer.h"
#include "base/CxSafeFile.h"
#include "config/NativePath.h"

#include <algorithm>
#include <hpdf.h>
#include <hpdf_objects.h>
#include <vector>

#ifndef SCRIVA_VERSION
#define SCRIVA_VERSION "0.0.0"
#endif

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

QString ProducerName()
{
    return QStringLiteral("Scriva " SCRIVA_VERSION);
}

HpdfDocument::HpdfDocument()
{
    m_doc = HPDF_New(onLibraryError, this);
    if (!m_doc) {
        Fail(QStringLiteral("the PDF library could not start (out of memory)"));
        return;
    }
    // Page contents, the text layer's maps and one-bit pictures are compressed;
    // JPEG pictures stay as they are.
    HPDF_SetCompressionMode(doc(m_doc), HPDF_COMP_ALL);
    m_text = std::make_unique<PdfTextLayer>(m_doc);
}

HpdfDocument::~HpdfDocument()
{
    m_text.reset();
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

bool HpdfDocument::addPicture(void* picture, int rotation, double widthPt, double heightPt)
{
    HPDF_Image image = static_cast<HPDF_Image>(picture);
    if (!image)
        return LibraryFailed("LoadImage");
    HPDF_Page page = HPDF_AddPage(doc(m_doc));
    if (!page)
        return LibraryFailed("AddPage");
    if (m_pages == 0) {
        HPDF_Destination destination = HPDF_Page_CreateDestination(page);
        if (!destination)
            return LibraryFailed("CreateDestination");
        // The open action's top is the page height as created, before the page is sized.
        if (HPDF_Destination_SetXYZ(destination, 0, HPDF_Page_GetHeight(page), kOpenZoom) !=
                HPDF_OK ||
            HPDF_SetOpenAction(doc(m_doc), destination) != HPDF_OK)
            return LibraryFailed("SetOpenAction");
    }
    const HPDF_REAL width =
        widthPt > 0 ? HPDF_REAL(widthPt) : HPDF_REAL(HPDF_Image_GetWidth(image));
    const HPDF_REAL height =
        heightPt > 0 ? HPDF_REAL(heightPt) : HPDF_REAL(HPDF_Image_GetHeight(image));
    if (HPDF_Page_SetWidth(page, width) != HPDF_OK || HPDF_Page_SetHeight(page, height) != HPDF_OK)
        return LibraryFailed("SetWidth/SetHeight");
    if (HPDF_Page_DrawImage(page, image, 0, 0, width, height) != HPDF_OK)
        return LibraryFailed("DrawImage");
    if (rotation != 0 && HPDF_Page_SetRotate(page, HPDF_UINT16(rotation)) != HPDF_OK)
        return LibraryFailed("SetRotate");
    m_lastPage = page;
    ++m_pages;
    return true;
}

bool HpdfDocument::AddJpegPage(const uint8_t* jpeg, size_t size, int rotation, double widthPt,
                               double heightPt)
{
    if (!IsValid())
        return Fail(m_errorText.isEmpty() ? QStringLiteral("the PDF document failed earlier")
                                          : m_errorText);
    return addPicture(HPDF_LoadJpegImageFromMem(doc(m_doc), jpeg, HPDF_UINT(size)), rotation,
                      widthPt, heightPt);
}

bool HpdfDocument::AddPage(const PdfPage& page)
{
    if (!IsValid())
        return Fail(m_errorText.isEmpty() ? QStringLiteral("the PDF document failed earlier")
                                          : m_errorText);
    const double widthPt = page.PointWidth(), heightPt = page.PointHeight();
    if (!page.bilevel.empty()) {
        const HPDF_UINT stride = (page.width + 7) / 8;
        // G4 coded. The library's flag tells the sense of the coded data, not of the
        // rows given: rows whose set bits are black are passed as "black is not 1".
        if (!addPicture(HPDF_Image_LoadRaw1BitImageFromMem(doc(m_doc), page.bilevel.data(),
                                                           page.width, page.height, stride,
                                                           HPDF_FALSE, HPDF_TRUE),
                        page.rotation, widthPt, heightPt))
            return false;
    } else if (!AddJpegPage(page.jpeg.data(), page.jpeg.size(), page.rotation, widthPt, heightPt)) {
        return false;
    }
    if (page.words.empty())
        return true;
    TextLayerPlacement placement;
    placement.uprightWidth = page.uprightWidth;
    placement.uprightHeight = page.uprightHeight;
    placement.pageWidth = widthPt;
    placement.pageHeight = heightPt;
    placement.rotation = page.rotation;
    if (!m_text->Draw(m_lastPage, page.words, placement))
        return LibraryFailed("text layer");
    return true;
}

bool HpdfDocument::setText(const char* key, const QString& text)
{
    // As UTF-16 with its byte-order mark, so that any script reads back.
    QByteArray bytes("\xFE\xFF", 2);
    for (QChar c : text)
        bytes += char(c.unicode() >> 8), bytes += char(c.unicode() & 0xFF);
    auto* info = static_cast<HPDF_Dict>(doc(m_doc)->info);
    HPDF_Binary value = HPDF_Binary_New(
        doc(m_doc)->mmgr, reinterpret_cast<HPDF_BYTE*>(bytes.data()), HPDF_UINT(bytes.size()));
    return info && value && HPDF_Dict_Add(info, key, value) == HPDF_OK;
}

bool HpdfDocument::SetInformation(const QString& title, const QDateTime& created)
{
    if (!IsValid())
        return Fail(QStringLiteral("the PDF document failed earlier"));
    // The first call makes the information dictionary; the texts then replace its value.
    if (HPDF_SetInfoAttr(doc(m_doc), HPDF_INFO_PRODUCER, "Scriva") != HPDF_OK)
        return LibraryFailed("SetInfoAttr");
    const QDateTime local = created.toLocalTime();
    const int offset = local.offsetFromUtc();
    HPDF_Date date{};
    date.year = local.date().year();
    date.month = local.date().month();
    date.day = local.date().day();
    date.hour = local.time().hour();
    date.minutes = local.time().minute();
    date.seconds = local.time().second();
    date.ind = offset == 0 ? 'Z' : offset > 0 ? '+' : '-';
    date.off_hour = std::abs(offset) / 3600;
    date.off_minutes = std::abs(offset) % 3600 / 60;
    if (HPDF_SetInfoDateAttr(doc(m_doc), HPDF_INFO_CREATION_DATE, date) != HPDF_OK ||
        HPDF_SetInfoDateAttr(doc(m_doc), HPDF_INFO_MOD_DATE, date) != HPDF_OK)
        return LibraryFailed("SetInfoDateAttr");
    if (!setText("Producer", ProducerName()) || !setText("Creator", ProducerName()) ||
        (!title.isEmpty() && !setText("Title", title)))
        return LibraryFailed("information");
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
    if (!m_text->Finish())
        return LibraryFailed("text layer");
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
