// Jpeg codec of the image object (being written).
#include "CxImage.h"

bool CxImage::DecodeJpeg(CxStream&)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool CxImage::EncodeJpeg(CxStream&)
{
    SetLastError("Encode: Unknown format");
    return false;
}
