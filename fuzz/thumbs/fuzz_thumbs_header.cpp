// Fuzz target: the header reader that weighs a BMP, PNG or TIFF file before
// it is decoded, on arbitrary bytes. A size that comes out is never empty.
#include "thumbs/ImageHeader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QSize declared = scriva::thumbs::DeclaredImageSize(data, size);
    if (declared.isValid() && declared.isEmpty())
        std::abort();
    return 0;
}
