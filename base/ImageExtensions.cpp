#include "ImageExtensions.h"

#include <cstring>
#include <iterator>

namespace scriva::ext {

namespace {

// An extension names the format when its first three letters are those of an
// entry (so "jpe" and "jfi" are JPEG, "tiff" TIFF); a file name ends with a
// listed entry, whole.
constexpr Extension kExtensions[] = {
    {"bmp", kBmp, true}, {"jpg", kJpg, true}, {"jpeg", kJpg, true}, {"jfif", kJpg, false},
    {"png", kPng, true}, {"tif", kTif, true}, {"tiff", kTif, true},
};

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The first n characters of text equal those of lower (lower case), in any case.
bool startsAlike(const char* text, const char* lower, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (!text[i] || asciiLower(text[i]) != lower[i])
            return false;
    }
    return true;
}

} // namespace

const Extension* Extensions(size_t& count)
{
    count = std::size(kExtensions);
    return kExtensions;
}

Format FormatFromExtension(const char* ext)
{
    if (!ext)
        return kUnknown;
    for (const Extension& e : kExtensions) {
        if (startsAlike(ext, e.name, 3))
            return e.format;
    }
    return kUnknown;
}

Format FormatFromNameEnd(const char* name)
{
    if (!name)
        return kUnknown;
    const size_t length = std::strlen(name);
    for (const Extension& e : kExtensions) {
        const size_t n = std::strlen(e.name);
        if (e.listed && length >= n && startsAlike(name + length - n, e.name, n))
            return e.format;
    }
    return kUnknown;
}

} // namespace scriva::ext
