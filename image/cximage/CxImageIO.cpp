// Loading and saving: format dispatch over files and memory, and saves that never damage
// an existing file (see CxSafeFile).
#include "CxFileStream.h"
#include "CxImage.h"
#include "CxMemStream.h"
#include "base/CxSafeFile.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool isKnownFormat(uint32_t type)
{
    return type == CXIMAGE_FORMAT_BMP || type == CXIMAGE_FORMAT_JPG || type == CXIMAGE_FORMAT_PNG ||
           type == CXIMAGE_FORMAT_TIF;
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

bool CxImage::Save(const std::string& path, uint32_t imagetype)
{
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
    // Each failure keeps its words and adds the system's reason (no space, read-only...).
    auto failWith = [this](const char* what, const std::string& reason) {
        const std::string text = reason.empty() ? std::string(what) : what + (": " + reason);
        SetLastError(text.c_str());
        return false;
    };
    CxSafeFile out;
    if (!out.Open(path))
        return failWith("Can't open file for writing", out.Error());
    CxFileStream file(out.Stream());
    if (!Encode(&file, imagetype)) {
        out.Abandon();
        const std::string what = GetLastError();
        return failWith(what.c_str(), file.WriteErrno() ? std::strerror(file.WriteErrno()) : "");
    }
    if (file.WriteErrno())
        return failWith("Can't write file", std::strerror(file.WriteErrno()));
    if (!out.Commit()) // a flush, sync or rename that failed (a stream error too)
        return failWith("Can't write file", out.Error());
    return true;
}

bool CxImage::CanEncode(uint32_t imagetype)
{
    if (imagetype == CXIMAGE_FORMAT_JPG && GetBpp() != 24 && !IsGrayScale()) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    return true;
}
