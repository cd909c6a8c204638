#pragma once
// The one home of picture file name extensions: every extension a picture
// format is known by, the format it names, and whether file lists and dialogs
// go by it. The image library answers "which format is this name" from it; the
// file dialogs' per-format patterns are made from it. No Qt; any thread.

#include <cstddef>
#include <cstdint>

namespace scriva::ext {

// The image library's format ids (CXIMAGE_FORMAT_*), kept equal there.
enum Format : uint32_t { kUnknown = 0, kBmp = 1, kJpg = 3, kPng = 4, kTif = 6 };

struct Extension
{
    const char* name; // lower case, without the dot
    Format format;
    bool listed; // file lists and dialogs go by it
};

// The table, in a fixed order (a format's first listed entry is its usual one).
const Extension* Extensions(size_t& count);

// Format of an extension without dot, by its first three characters in any
// case: bmp; jpg, jpe, jfi; png; tif. kUnknown for any other and for null.
Format FormatFromExtension(const char* ext);
// Format of a file name by the listed extension it ends with, whole, in any
// case (with or without a dot before it). kUnknown for any other.
Format FormatFromNameEnd(const char* name);

} // namespace scriva::ext
