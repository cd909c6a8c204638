// Fuzz target: the marker walk that decides whether a JPEG file is embedded as is.
#include "export/JpegProbe.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    scriva::exporter::JpegLayout layout;
    const bool read = scriva::exporter::ReadJpegLayout(data, size, layout);
    // A layout fit for embedding always comes from a header that was read whole.
    if (scriva::exporter::CanEmbedUnchanged(layout) && !read)
        std::abort();
    return 0;
}
