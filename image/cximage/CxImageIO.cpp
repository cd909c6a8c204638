// Loading and saving: format dispatch over files and memory, and saves that never damage
// an existing file (encode into a temporary file beside it, then rename).
#include "CxFileStream.h"
#include "CxImage.h"
#include "CxMemStream.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isKnownFormat(uint32_t type)
{
    return type == CXIMAGE_FORMAT_BMP || type == CXIMAGE_FORMAT_JPG || type == CXIMAGE_FORMAT_PNG ||
           type == CXIMAGE_FORMAT_TIF;
}

// Creates a new file beside `path` for writing (mode 0666 less the umask, close-on-exec).
FILE* openTempBeside(const std::string& path, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath =
            path + ".part-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            FILE* fp = fdopen(fd, "wb");
            if (!fp)
                close(fd);
            return fp;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

} // namespace

bool CxImage::Load(const std::string& path, uint32_t imagetype)
{
    if (isKnownFormat(imagetype)) {
        CxFileStream file;
        if (!file.Open(path, "rb")) {
            Destroy();
            SetLastError("Can't open file");
            return false;
        }
        if (Decode(&file, imagetype))
            return true;
    }
    char kept[kErrorSize];
    std::snprintf(kept, sizeof kept, "%s", m_info.szLastError);
    CxFileStream file;
    if (!file.Open(path, "rb")) {
        Destroy();
        SetLastError("Can't open file");
        return false;
    }
    if (Decode(&file, CXIMAGE_FORMAT_UNKNOWN))
        return true;
    if (isKnownFormat(imagetype))
        SetLastError(kept);
    return false;
}

bool CxImage::DecodeKnown(CxStream& s, uint32_t imagetype)
{
    switch (imagetype) {
    case CXIMAGE_FORMAT_BMP:
        return DecodeBmp(s);
    case CXIMAGE_FORMAT_JPG:
        return DecodeJpeg(s);
    case CXIMAGE_FORMAT_PNG:
        return DecodePng(s);
    case CXIMAGE_FORMAT_TIF:
        return DecodeTiff(s);
    default:
        SetLastError("Decode: Unknown or wrong format");
        return false;
    }
}

bool CxImage::Decode(CxStream* stream, uint32_t imagetype)
{
    Destroy();
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    const int64_t start = stream->Tell();
    auto attempt = [&](uint32_t type, CxImage& out) {
        out.m_info.decodeMinWidth = m_info.decodeMinWidth;
        out.m_info.decodeMinHeight = m_info.decodeMinHeight;
        for (int i = 0; i < 5; ++i)
            out.m_info.dwCodecOpt[i] = m_info.dwCodecOpt[i];
        return out.DecodeKnown(*stream, type);
    };
    if (imagetype == CXIMAGE_FORMAT_UNKNOWN) {
        for (uint32_t type :
             {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF}) {
            CxImage tmp;
            if (attempt(type, tmp)) {
                tmp.m_info.dwType = type;
                return TakeDecoded(tmp);
            }
            if (!stream->Seek(start, SEEK_SET))
                break;
        }
        SetLastError("Decode: Unknown or wrong format");
        return false;
    }
    CxImage tmp;
    if (attempt(imagetype, tmp)) {
        tmp.m_info.dwType = imagetype;
        return TakeDecoded(tmp);
    }
    SetLastError(isKnownFormat(imagetype) ? tmp.GetLastError() : "Decode: Unknown or wrong format");
    return false;
}

// Moves a freshly decoded picture in, keeping this object's own settings.
bool CxImage::TakeDecoded(CxImage& decoded)
{
    const float quality = m_info.fQuality;
    CxImageInfo settings = m_info;
    Transfer(decoded);
    m_info.fQuality = quality;
    for (int i = 0; i < 5; ++i)
        m_info.dwCodecOpt[i] = settings.dwCodecOpt[i];
    m_info.decodeMinWidth = settings.decodeMinWidth;
    m_info.decodeMinHeight = settings.decodeMinHeight;
    m_info.szLastError[0] = '\0';
    return true;
}

bool CxImage::Decode(const uint8_t* buffer, size_t size, uint32_t imagetype)
{
    if (!buffer && size > 0) {
        Destroy();
        SetLastError("null file handler");
        return false;
    }
    CxMemStream mem(buffer, size);
    return Decode(&mem, imagetype);
}

bool CxImage::EncodeKnown(CxStream& s, uint32_t imagetype)
{
    switch (imagetype) {
    case CXIMAGE_FORMAT_BMP:
        return EncodeBmp(s);
    case CXIMAGE_FORMAT_JPG:
        return EncodeJpeg(s);
    case CXIMAGE_FORMAT_PNG:
        return EncodePng(s);
    case CXIMAGE_FORMAT_TIF:
        return EncodeTiff(s);
    default:
        SetLastError("Encode: Unknown format");
        return false;
    }
}

bool CxImage::Encode(CxStream* stream, uint32_t imagetype)
{
    if (!IsValid()) {
        SetLastError("null image!!!");
        return false;
    }
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    return EncodeKnown(*stream, imagetype);
}

bool CxImage::Encode(std::vector<uint8_t>& buffer, uint32_t imagetype)
{
    CxMemStream mem;
    if (!Encode(&mem, imagetype))
        return false;
    buffer = mem.TakeBuffer();
    return true;
}

// The file a save really replaces: the target of a symbolic link, else the path itself.
static std::string resolveSaveTarget(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            std::string target(real);
            std::free(real);
            return target;
        }
    }
    return path;
}

bool CxImage::Save(const std::string& requestedPath, uint32_t imagetype)
{
    const std::string path = resolveSaveTarget(requestedPath);
    if (!IsValid()) {
        SetLastError("null image!!!");
        return false;
    }
    if (!isKnownFormat(imagetype)) {
        SetLastError("Encode: Unknown format");
        return false;
    }
    if (!CanEncode(imagetype))
        return false;
    std::string tempPath;
    FILE* fp = openTempBeside(path, tempPath);
    if (!fp) {
        SetLastError("Can't open file for writing");
        return false;
    }
    struct stat old;
    if (stat(path.c_str(), &old) == 0) // a replaced file keeps its permissions
        fchmod(fileno(fp), old.st_mode & 07777);
    CxFileStream file(fp, true);
    bool ok = Encode(&file, imagetype);
    if (ok && (!file.Flush() || file.HasError())) {
        SetLastError("Can't write file");
        ok = false;
    }
    if (!file.Close() && ok) {
        SetLastError("Can't write file");
        ok = false;
    }
    if (ok && std::rename(tempPath.c_str(), path.c_str()) != 0) {
        SetLastError("Can't open file for writing");
        ok = false;
    }
    if (!ok)
        unlink(tempPath.c_str());
    return ok;
}

bool CxImage::CanEncode(uint32_t imagetype)
{
    if (imagetype == CXIMAGE_FORMAT_JPG && GetBpp() != 24 && !IsGrayScale()) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    return true;
}
