// Bmp codec of the image object (being written).
#include "CxImage.h"

bool CxImage::DecodeBmp(CxStream&)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool CxImage::EncodeBmp(CxStream&)
{
    SetLastError("Encode: Unknown format");
    return false;
}
