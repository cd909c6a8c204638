#include "HpdfDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <hpdf.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scriva::exporter {

namespace {

constexpr HPDF_REAL kOpenZoom = 1.0f;
constexpr int kTempNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as any new file

void HPDF_STDCALL onLibraryError(HPDF_STATUS errorNo, HPDF_STATUS detail, void* userData)
{
    static_cast<HpdfDocument*>(userData)->RecordLibraryError(errorNo, detail);
}

HPDF_Doc doc(void* handle)
{
    return static_cast<HPDF_Doc>(handle);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The file a save really replaces: the target of a symbolic link, else the path.
QString replacedFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return path;
}

// Creates a new, empty, uniquely named file beside target; its name is returned.
QString createTempBeside(const QString& target, int& fd)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        QString name = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                       QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                     QLatin1Char('0'));
        fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    kNewFileMode);
        if (fd >= 0)
            return name;
        if (errno != EEXIST)
            return {};
    }
    return {};
}

bool syncFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
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

bool HpdfDocument::AddJpegPage(const uint8_t* jpeg, size_t size)
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
    return true;
}

bool HpdfDocument::SaveToFile(const QString& path)
{
    if (!IsValid())
        return Fail(QStringLiteral("the PDF document failed earlier"));
    const QString target = replacedFile(path);
    struct stat old;
    const bool exists = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return Fail(QStringLiteral("'%1' is not a regular file").arg(path));
    int fd = -1;
    const QString temp = createTempBeside(target, fd);
    if (temp.isEmpty())
        return Fail(QStringLiteral("cannot create a file in '%1': %2")
                        .arg(QFileInfo(target).absolutePath(), systemError()));
    if (exists) // a replaced file keeps its permissions
        ::fchmod(fd, old.st_mode & 07777);
    ::close(fd);
    const QByteArray tempName = QFile::encodeName(temp);
    bool ok =
        HPDF_SaveToFile(doc(m_doc), tempName.constData()) == HPDF_OK || LibraryFailed("SaveToFile");
    if (ok && !syncFile(tempName))
        ok = Fail(QStringLiteral("cannot write '%1': %2").arg(temp, systemError()));
    if (ok && std::rename(tempName.constData(), QFile::encodeName(target).constData()) != 0)
        ok = Fail(QStringLiteral("cannot replace '%1': %2").arg(target, systemError()));
    if (!ok)
        ::unlink(tempName.constData());
    return ok;
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
