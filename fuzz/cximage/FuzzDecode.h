#pragma once
// Shared body of the image decoder fuzz targets: decode from memory, and when a picture
// comes out, read every pixel and encode it again so that both directions are exercised.

#include "image/cximage/CxImage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

inline int fuzzDecode(const uint8_t* data, size_t size, uint32_t type)
{
    CxImage img;
    if (!img.Decode(data, size, type)) {
        if (img.IsValid() || img.GetLastError()[0] == '\0')
            std::abort(); // a failure must leave an invalid image and say why
        return 0;
    }
    if (!img.IsValid() || img.GetWidth() == 0 || img.GetHeight() == 0)
        std::abort();
    if (uint64_t(img.GetWidth()) * img.GetHeight() > (1u << 20))
        return 0; // large pictures: decoding was the point
    uint32_t sum = 0;
    for (uint32_t y = 0; y < img.GetHeight(); ++y)
        for (uint32_t x = 0; x < img.GetWidth(); ++x)
            sum += img.GetPixelColor(int32_t(x), int32_t(y)).rgbGreen;
    std::vector<uint8_t> out;
    if (img.Encode(out, type)) {
        CxImage again;
        if (!again.Decode(out.data(), out.size(), type))
            std::abort(); // what we write we must read back
    }
    return int(sum & 0);
}
