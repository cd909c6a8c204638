#pragma once
// The invisible text of a searchable PDF: recognised words drawn in text render
// mode 3 (neither filled nor stroked) over the words of the page's picture, so
// that a viewer finds, selects and copies them where they are seen.
//
// The words are set in one font that carries no glyphs: a composite font whose
// codes are this document's own character numbers (two bytes each, in the order
// the characters first appear), a ToUnicode map that gives every number its
// Unicode text back, and a tiny TrueType program whose only glyph is empty. So
// any script (Chinese, Greek, symbols beyond the first plane) can be searched
// and copied, whatever fonts the reader's machine has. Each word's horizontal
// scaling stretches it over its box; all words of a line share one size and
// baseline, so that readers put them on one line, in the recognised order.
// Built on the PDF library's object layer; one thread at a time, like the
// document that owns it.

#include "ocr/PageWords.h"

#include <QString>
#include <cstdint>
#include <map>
#include <vector>

namespace scriva::exporter {

// Where a page's words go: the picture's size as seen (the words' pixel
// coordinates are in it), the page's size in points as stored, and the turn the
// viewer gives the page (0, 90, 180, 270 degrees clockwise).
struct TextLayerPlacement
{
    uint32_t uprightWidth = 0; // pixels
    uint32_t uprightHeight = 0;
    double pageWidth = 0; // points, the page's media box (before its turn)
    double pageHeight = 0;
    int rotation = 0;
};

class PdfTextLayer
{
public:
    // doc: the library's document (HPDF_Doc).
    explicit PdfTextLayer(void* doc) : m_doc(doc) {}

    // Draws the words onto the page (HPDF_Page) after what it already shows. False
    // when the library failed (its error handler has the reason).
    bool Draw(void* page, const ocr::PageWords& words, const TextLayerPlacement& placement);
    // Writes the character map and the glyph map; call once before the document is saved.
    bool Finish();

    // The content-stream operators that Draw writes for the words (for tests and size
    // measurements): text objects with every word placed, its codes as hex strings.
    QByteArray Operators(const ocr::PageWords& words, const TextLayerPlacement& placement);

private:
    bool makeFont();
    uint16_t code(char32_t c);

    void* m_doc;
    void* m_font = nullptr;      // the composite font's dictionary
    void* m_toUnicode = nullptr; // its ToUnicode stream
    void* m_glyphMap = nullptr;  // its CIDToGIDMap stream
    std::map<char32_t, uint16_t> m_codes;
    std::vector<char32_t> m_characters; // code - 1 -> character
    bool m_finished = false;
};

// The font program: a TrueType font of two empty glyphs (notdef and a blank of
// half an em), 1000 units to the em, ascent 800, descent 200.
std::vector<uint8_t> GlyphlessFontProgram();

} // namespace scriva::exporter
