// Png codec of the image object (being written).
#include "CxImage.h"

bool CxImage::DecodePng(CxStream&)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool CxImage::EncodePng(CxStream&)
{
    SetLastError("Encode: Unknown format");
    return false;
}
