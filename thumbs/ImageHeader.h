#pragma once
// The picture size a BMP, PNG or TIFF file declares in its header, read
// without decoding anything, so that a decode can be weighed before its
// buffers exist. Every offset is checked against what was read. Any thread.

#include <QSize>
#include <cstdio>

namespace scriva::thumbs {

// From a file's first bytes (BMP, PNG, classic or big TIFF, told by their
// signatures); empty when the header says no size or the format is another.
QSize DeclaredImageSize(const unsigned char* head, size_t size);

// The same for an open file, read in place (its position stays where it is).
QSize DeclaredImageSize(FILE* file);

} // namespace scriva::thumbs
