// Fuzz target: the EXIF orientation reader on arbitrary APP1 payloads.
#include "image/cximage/CxExif.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int orientation = cxexif::ExifOrientation(data, size);
    if (orientation < 1 || orientation > 8)
        std::abort(); // the reader promises 1-8 whatever it is given
    return 0;
}
