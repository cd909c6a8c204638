#pragma once
// One page of an exported PDF, made ready from an image file: the picture the
// page shows, its resolution, and, for a searchable PDF, the words laid over it.
// A baseline JPEG file is taken as it is, a quarter or half turn of its EXIF
// orientation given to the page; a black-and-white picture (every pixel pure
// black or pure white) is kept losslessly as one bit per pixel; any other picture
// (and a JPEG file stored mirrored) is decoded upright into a private image
// object and encoded as JPEG in memory (grey stays grey), nothing written to disk.
// Any thread; pages of one export are prepared in parallel.

#include "ocr/OcrSettings.h"
#include "ocr/PageWords.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class CxImage;

namespace scriva::exporter {

// How the words of a page are found when a searchable PDF is made.
struct PageRecognition
{
    bool enabled = false;
    int language = ocr::kLanguageLatin; // the recognition language code (1 or 2)
    QString models;                     // models for both codes instead of the settings'
    std::function<ocr::OcrSettings()> settings = &ocr::OcrSettings::Defaults;
    // The text the program already holds for a file (true when there is one); called
    // from the preparing threads at once, so it must be safe for that.
    std::function<bool(const QString& path, QString& text)> storedText;
};

struct PdfPageOptions
{
    int dpi = 0; // every page's resolution instead of its picture's; 0: the picture's own
    PageRecognition recognition;
    const std::atomic<bool>* cancel = nullptr; // a cancelled export recognises nothing more
};

struct PdfPage
{
    std::vector<uint8_t> jpeg;    // the JPEG the page shows, or
    std::vector<uint8_t> bilevel; // its black-and-white rows: top first, set bits black
    uint32_t width = 0;           // the picture as stored, in pixels
    uint32_t height = 0;
    double dpiX = 0; // its resolution; 0 when it has none (one point per pixel)
    double dpiY = 0;
    bool passedThrough = false; // the file's own bytes, not re-encoded
    int rotation = 0;           // degrees the page is turned clockwise when shown (0, 90, 180, 270)
    ocr::PageWords words;       // in pixels of the picture as seen (after its turn)
    uint32_t uprightWidth = 0;  // the picture as seen
    uint32_t uprightHeight = 0;
    bool recognised = false;     // words were looked for (a page may still have none)
    bool usedStoredText = false; // the words carry the program's stored text
    QString error;               // empty on success: why the file cannot become a page

    bool ok() const { return error.isEmpty(); }
    // The page's size in points: pixels / resolution * 72, or one point per pixel.
    double PointWidth() const;
    double PointHeight() const;
};

// The format is chosen by the file's extension, as everywhere in the program: a
// file whose name is not an image's is refused.
PdfPage PreparePdfPage(const QString& path, const PdfPageOptions& options = {});

// What the JPEG encoder is given for a picture: transparent parts turned white
// (as on paper) and a colour palette expanded to true colour. False on memory
// failure (the image's last error says so).
bool MakeJpegReady(CxImage& image);

// The picture's rows as one bit per pixel (top row first, rows padded to whole
// bytes, set bits black) when every pixel is pure black or pure white; false
// (bits empty) for any other picture.
bool PackBlackAndWhite(const CxImage& image, std::vector<uint8_t>& bits);

} // namespace scriva::exporter
