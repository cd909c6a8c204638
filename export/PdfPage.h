#pragma once
// One page of an exported PDF, made ready from an image file: the JPEG bytes the
// page embeds and the picture's size in pixels (= the page's size in points).
// A baseline JPEG file is taken as it is, a quarter or half turn of its EXIF
// orientation given to the page; any other picture (and a JPEG file stored
// mirrored) is decoded upright into a private image object and encoded as JPEG
// in memory, nothing written to disk.
// Any thread; pages of one export are prepared in parallel.

#include <QString>
#include <cstdint>
#include <vector>

class CxImage;

namespace scriva::exporter {

struct PdfPage
{
    std::vector<uint8_t> jpeg;
    uint32_t width = 0;
    uint32_t height = 0;
    bool passedThrough = false; // the file's own bytes, not re-encoded
    int rotation = 0;           // degrees the page is turned clockwise when shown (0, 90, 180, 270)
    QString error;              // empty on success: why the file cannot become a page

    bool ok() const { return error.isEmpty(); }
};

// The format is chosen by the file's extension, as everywhere in the program: a
// file whose name is not an image's is refused.
PdfPage PreparePdfPage(const QString& path);

// What the JPEG encoder is given for a picture: transparent parts turned white
// (as on paper) and a colour palette expanded to true colour. False on memory
// failure (the image's last error says so).
bool MakeJpegReady(CxImage& image);

} // namespace scriva::exporter
