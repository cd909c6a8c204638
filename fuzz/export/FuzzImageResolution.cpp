// Fuzz target: the header reads that give an exported page its resolution, for
// every format the export takes.
#include "export/ImageResolution.h"
#include "image/cximage/CxImage.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    for (uint32_t format :
         {CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_TIF}) {
        double x = -1, y = -1;
        const bool found = scriva::exporter::HeaderResolution(bytes, format, x, y);
        // A stated resolution is positive and finite; none leaves both at 0.
        if (found ? !(x > 0 && y > 0 && std::isfinite(x) && std::isfinite(y)) : (x != 0 || y != 0))
            std::abort();
    }
    return 0;
}
