// Fuzz target: the image object's JPEG decoder on arbitrary bytes.
#include "FuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzDecode(data, size, CXIMAGE_FORMAT_JPG);
}
