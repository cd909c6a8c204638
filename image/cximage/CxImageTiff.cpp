// Tiff codec of the image object (being written).
#include "CxImage.h"

bool CxImage::DecodeTiff(CxStream&)
{
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool CxImage::EncodeTiff(CxStream&)
{
    SetLastError("Encode: Unknown format");
    return false;
}
