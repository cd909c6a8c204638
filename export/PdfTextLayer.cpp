#include "PdfTextLayer.h"

#include <hpdf.h>
#include <hpdf_objects.h>
#include <hpdf_pages.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace scriva::exporter {

namespace {

constexpr int kUnitsPerEm = 1000;
constexpr int kAdvance = 500; // every code's width, in thousandths of the size
constexpr int kAscent = 800;
constexpr int kDescent = -200;
constexpr uint32_t kMaxCode = 0xFFFF;
constexpr int kCMapBlock = 100; // entries per bfchar block, as readers expect at most
constexpr double kMinSize = 1.0;
constexpr double kMinScaling = 1.0; // percent

// Big-endian font table writer.
class Table
{
public:
    void u16(uint32_t v) { bytes.push_back(uint8_t(v >> 8)), bytes.push_back(uint8_t(v)); }
    void s16(int v) { u16(uint16_t(int16_t(v))); }
    void u32(uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
    std::vector<uint8_t> bytes;
};

uint32_t checksum(const std::vector<uint8_t>& data, size_t from, size_t size)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < size; i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < size ? data[from + i + k] : 0);
        sum += word;
    }
    return sum;
}

Table headTable()
{
    Table t;
    t.u32(0x00010000); // version
    t.u32(0x00010000); // font revision
    t.u32(0);          // checksum adjustment, set when the font is whole
    t.u32(0x5F0F3CF5); // magic
    t.u16(0x000B);     // baseline at 0, left side bearing at 0, integer scaling
    t.u16(kUnitsPerEm);
    t.zeros(16); // created, modified
    t.s16(0), t.s16(kDescent), t.s16(kAdvance), t.s16(kAscent);
    t.u16(0); // mac style
    t.u16(3); // smallest readable size
    t.s16(2); // direction hint
    t.s16(0); // short loca offsets
    t.s16(0); // glyph data format
    return t;
}

Table hheaTable()
{
    Table t;
    t.u32(0x00010000);
    t.s16(kAscent), t.s16(kDescent), t.s16(0); // ascender, descender, line gap
    t.u16(kAdvance);                           // widest advance
    t.s16(0), t.s16(0), t.s16(0);              // min bearings, max extent
    t.s16(1), t.s16(0), t.s16(0);              // caret upright
    t.zeros(8);
    t.s16(0);
    t.u16(2); // metrics for both glyphs
    return t;
}

Table maxpTable()
{
    Table t;
    t.u32(0x00010000);
    t.u16(2); // glyphs
    t.zeros(8);
    t.u16(1); // zones
    t.zeros(16);
    return t;
}

Table cmapTable()
{
    Table t; // one format 4 subtable with nothing but its closing segment
    t.u16(0), t.u16(1);
    t.u16(3), t.u16(1), t.u32(12);
    t.u16(4), t.u16(24), t.u16(0);
    t.u16(2), t.u16(2), t.u16(0), t.u16(0);
    t.u16(0xFFFF), t.u16(0), t.u16(0xFFFF), t.s16(1), t.u16(0);
    return t;
}

Table postTable()
{
    Table t;
    t.u32(0x00030000);
    t.u32(0);
    t.s16(-100), t.s16(50);
    t.zeros(20);
    return t;
}

void appendHex(QByteArray& out, uint32_t value, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    out += buffer;
}

QByteArray number(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    QByteArray s(buffer);
    while (s.endsWith('0'))
        s.chop(1);
    if (s.endsWith('.'))
        s.chop(1);
    return s == "-0" ? QByteArray("0") : s;
}

// The UTF-16 code units of a character as hex digits.
void appendUtf16(QByteArray& out, char32_t c)
{
    if (c < 0x10000) {
        appendHex(out, uint32_t(c), 4);
        return;
    }
    const uint32_t v = uint32_t(c) - 0x10000;
    appendHex(out, 0xD800 + (v >> 10), 4);
    appendHex(out, 0xDC00 + (v & 0x3FF), 4);
}

HPDF_Doc document(void* doc)
{
    return static_cast<HPDF_Doc>(doc);
}

// The words of one line, with the line's box.
struct Line
{
    QRect box;
    std::vector<const ocr::RecognizedWord*> words;
};

std::vector<Line> linesOf(const ocr::PageWords& words)
{
    std::vector<Line> lines;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i == 0 || words[i].line != words[i - 1].line)
            lines.push_back({words[i].lineBox, {}});
        lines.back().box = lines.back().box.united(words[i].box);
        lines.back().words.push_back(&words[i]);
    }
    return lines;
}

// The transform from the page as seen (points, origin at its lower left) to its
// media box, for a page the viewer turns clockwise.
QByteArray turnMatrix(const TextLayerPlacement& p)
{
    switch (p.rotation) {
    case 90:
        return "0 1 -1 0 " + number(p.pageWidth) + " 0 cm\n";
    case 180:
        return "-1 0 0 -1 " + number(p.pageWidth) + " " + number(p.pageHeight) + " cm\n";
    case 270:
        return "0 -1 1 0 0 " + number(p.pageHeight) + " cm\n";
    default:
        return {};
    }
}

} // namespace

std::vector<uint8_t> GlyphlessFontProgram()
{
    Table glyf;
    glyf.zeros(4); // both glyphs are empty: their loca entries give them no bytes
    Table hmtx;
    hmtx.u16(kAdvance), hmtx.s16(0), hmtx.u16(kAdvance), hmtx.s16(0);
    Table loca;
    loca.u16(0), loca.u16(0), loca.u16(0);
    const std::pair<const char*, Table> tables[] = {
        {"cmap", cmapTable()}, {"glyf", glyf}, {"head", headTable()}, {"hhea", hheaTable()},
        {"hmtx", hmtx},        {"loca", loca}, {"maxp", maxpTable()}, {"post", postTable()}};
    constexpr uint16_t kTables = 8;
    Table font;
    font.u32(0x00010000);
    font.u16(kTables), font.u16(128), font.u16(3), font.u16(kTables * 16 - 128);
    size_t offset = 12 + 16 * kTables;
    size_t headOffset = 0;
    for (const auto& [tag, table] : tables) {
        for (int i = 0; i < 4; ++i)
            font.bytes.push_back(uint8_t(tag[i]));
        font.u32(checksum(table.bytes, 0, table.bytes.size()));
        font.u32(uint32_t(offset));
        font.u32(uint32_t(table.bytes.size()));
        if (std::string(tag) == "head")
            headOffset = offset;
        offset += (table.bytes.size() + 3) & ~size_t(3);
    }
    for (const auto& entry : tables) {
        font.bytes.insert(font.bytes.end(), entry.second.bytes.begin(), entry.second.bytes.end());
        font.zeros((4 - entry.second.bytes.size() % 4) % 4);
    }
    const uint32_t adjustment = 0xB1B0AFBA - checksum(font.bytes, 0, font.bytes.size());
    for (int i = 0; i < 4; ++i)
        font.bytes[headOffset + 8 + size_t(i)] = uint8_t(adjustment >> (24 - 8 * i));
    return font.bytes;
}

uint16_t PdfTextLayer::code(char32_t c)
{
    const auto it = m_codes.find(c);
    if (it != m_codes.end())
        return it->second;
    if (m_characters.size() >= kMaxCode) {
        // past 65535 different characters the rest read as a space
        return code(U' ');
    }
    m_characters.push_back(c);
    const auto n = uint16_t(m_characters.size());
    m_codes.emplace(c, n);
    return n;
}

QByteArray PdfTextLayer::Operators(const ocr::PageWords& words, const TextLayerPlacement& p)
{
    QByteArray out;
    if (words.empty() || p.uprightWidth == 0 || p.uprightHeight == 0)
        return out;
    const bool turned = p.rotation == 90 || p.rotation == 270;
    const double seenWidth = turned ? p.pageHeight : p.pageWidth;
    const double seenHeight = turned ? p.pageWidth : p.pageHeight;
    const double sx = seenWidth / p.uprightWidth;
    const double sy = seenHeight / p.uprightHeight;
    out += "q\n" + turnMatrix(p) + "BT\n3 Tr\n";
    for (const Line& line : linesOf(words)) {
        const double size = std::max(kMinSize, (line.box.height()) * sy);
        // The font's ascent and descent span the line's box exactly.
        const double baseline =
            seenHeight - (line.box.bottom() + 1) * sy + size * (-kDescent) / kUnitsPerEm;
        out += "/F1 " + number(size) + " Tf\n";
        for (const ocr::RecognizedWord* word : line.words) {
            const std::u32string characters = word->text.toStdU32String();
            if (characters.empty())
                continue;
            const double natural = double(characters.size()) * size * kAdvance / kUnitsPerEm;
            const double scaling = std::max(kMinScaling, 100.0 * word->box.width() * sx / natural);
            out += number(scaling) + " Tz 1 0 0 1 " + number(word->box.left() * sx) + " " +
                   number(baseline) + " Tm <";
            for (char32_t c : characters)
                appendHex(out, code(c), 4);
            out += "> Tj\n";
        }
    }
    out += "ET\nQ\n";
    return out;
}

bool PdfTextLayer::makeFont()
{
    if (m_font)
        return true;
    HPDF_Doc pdf = document(m_doc);
    HPDF_MMgr mmgr = pdf->mmgr;
    HPDF_Xref xref = pdf->xref;

    HPDF_Dict program = HPDF_DictStream_New(mmgr, xref);
    if (!program)
        return false;
    program->filter = HPDF_STREAM_FILTER_FLATE_DECODE;
    const std::vector<uint8_t> bytes = GlyphlessFontProgram();
    if (HPDF_Dict_AddNumber(program, "Length1", HPDF_INT32(bytes.size())) != HPDF_OK ||
        HPDF_Stream_Write(program->stream, bytes.data(), HPDF_UINT(bytes.size())) != HPDF_OK)
        return false;

    HPDF_Dict descriptor = HPDF_Dict_New(mmgr);
    HPDF_Array box = HPDF_Array_New(mmgr);
    if (!descriptor || !box || HPDF_Xref_Add(xref, descriptor) != HPDF_OK ||
        HPDF_Dict_AddName(descriptor, "Type", "FontDescriptor") != HPDF_OK ||
        HPDF_Dict_AddName(descriptor, "FontName", "GlyphLessFont") != HPDF_OK ||
        HPDF_Dict_AddNumber(descriptor, "Flags", 5) != HPDF_OK ||
        HPDF_Array_AddNumber(box, 0) != HPDF_OK || HPDF_Array_AddNumber(box, kDescent) != HPDF_OK ||
        HPDF_Array_AddNumber(box, kAdvance) != HPDF_OK ||
        HPDF_Array_AddNumber(box, kAscent) != HPDF_OK ||
        HPDF_Dict_Add(descriptor, "FontBBox", box) != HPDF_OK ||
        HPDF_Dict_AddNumber(descriptor, "ItalicAngle", 0) != HPDF_OK ||
        HPDF_Dict_AddNumber(descriptor, "Ascent", kAscent) != HPDF_OK ||
        HPDF_Dict_AddNumber(descriptor, "Descent", kDescent) != HPDF_OK ||
        HPDF_Dict_AddNumber(descriptor, "CapHeight", kAscent) != HPDF_OK ||
        HPDF_Dict_AddNumber(descriptor, "StemV", 80) != HPDF_OK ||
        HPDF_Dict_Add(descriptor, "FontFile2", program) != HPDF_OK)
        return false;

    HPDF_Dict glyphMap = HPDF_DictStream_New(mmgr, xref);
    if (!glyphMap)
        return false;
    glyphMap->filter = HPDF_STREAM_FILTER_FLATE_DECODE;
    HPDF_Dict systemInfo = HPDF_Dict_New(mmgr);
    HPDF_Dict descendant = HPDF_Dict_New(mmgr);
    if (!systemInfo || !descendant ||
        HPDF_Dict_Add(systemInfo, "Registry", HPDF_String_New(mmgr, "Adobe", nullptr)) != HPDF_OK ||
        HPDF_Dict_Add(systemInfo, "Ordering", HPDF_String_New(mmgr, "Identity", nullptr)) !=
            HPDF_OK ||
        HPDF_Dict_AddNumber(systemInfo, "Supplement", 0) != HPDF_OK ||
        HPDF_Xref_Add(xref, descendant) != HPDF_OK ||
        HPDF_Dict_AddName(descendant, "Type", "Font") != HPDF_OK ||
        HPDF_Dict_AddName(descendant, "Subtype", "CIDFontType2") != HPDF_OK ||
        HPDF_Dict_AddName(descendant, "BaseFont", "GlyphLessFont") != HPDF_OK ||
        HPDF_Dict_Add(descendant, "CIDSystemInfo", systemInfo) != HPDF_OK ||
        HPDF_Dict_Add(descendant, "FontDescriptor", descriptor) != HPDF_OK ||
        HPDF_Dict_AddNumber(descendant, "DW", kAdvance) != HPDF_OK ||
        HPDF_Dict_Add(descendant, "CIDToGIDMap", glyphMap) != HPDF_OK)
        return false;

    HPDF_Dict toUnicode = HPDF_DictStream_New(mmgr, xref);
    if (!toUnicode)
        return false;
    toUnicode->filter = HPDF_STREAM_FILTER_FLATE_DECODE;
    HPDF_Array descendants = HPDF_Array_New(mmgr);
    HPDF_Dict font = HPDF_Dict_New(mmgr);
    if (!descendants || !font || HPDF_Array_Add(descendants, descendant) != HPDF_OK ||
        HPDF_Xref_Add(xref, font) != HPDF_OK ||
        HPDF_Dict_AddName(font, "Type", "Font") != HPDF_OK ||
        HPDF_Dict_AddName(font, "Subtype", "Type0") != HPDF_OK ||
        HPDF_Dict_AddName(font, "BaseFont", "GlyphLessFont") != HPDF_OK ||
        HPDF_Dict_AddName(font, "Encoding", "Identity-H") != HPDF_OK ||
        HPDF_Dict_Add(font, "DescendantFonts", descendants) != HPDF_OK ||
        HPDF_Dict_Add(font, "ToUnicode", toUnicode) != HPDF_OK)
        return false;
    m_font = font;
    m_toUnicode = toUnicode;
    m_glyphMap = glyphMap;
    return true;
}

bool PdfTextLayer::Draw(void* page, const ocr::PageWords& words,
                        const TextLayerPlacement& placement)
{
    if (words.empty())
        return true;
    if (!makeFont())
        return false;
    auto* handle = static_cast<HPDF_Page>(page);
    const char* name = HPDF_Page_GetLocalFontName(handle, static_cast<HPDF_Font>(m_font));
    if (!name)
        return false;
    QByteArray operators = Operators(words, placement);
    operators.replace("/F1 ", QByteArray("/") + name + ' ');
    auto* attr = static_cast<HPDF_PageAttr>(handle->attr);
    return HPDF_Stream_Write(attr->stream,
                             reinterpret_cast<const HPDF_BYTE*>(operators.constData()),
                             HPDF_UINT(operators.size())) == HPDF_OK;
}

bool PdfTextLayer::Finish()
{
    if (!m_font || m_finished)
        return true;
    m_finished = true;
    QByteArray map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    for (size_t first = 0; first < m_characters.size(); first += kCMapBlock) {
        const size_t n = std::min<size_t>(kCMapBlock, m_characters.size() - first);
        map += QByteArray::number(qulonglong(n)) + " beginbfchar\n";
        for (size_t i = first; i < first + n; ++i) {
            map += '<';
            appendHex(map, uint32_t(i + 1), 4);
            map += "> <";
            appendUtf16(map, m_characters[i]);
            map += ">\n";
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    auto* toUnicode = static_cast<HPDF_Dict>(m_toUnicode);
    if (HPDF_Stream_Write(toUnicode->stream, reinterpret_cast<const HPDF_BYTE*>(map.constData()),
                          HPDF_UINT(map.size())) != HPDF_OK)
        return false;
    // Code 0 is the empty notdef glyph; every code in use draws the blank glyph 1.
    std::vector<HPDF_BYTE> glyphs(2 * (m_characters.size() + 1), 0);
    for (size_t i = 1; i <= m_characters.size(); ++i)
        glyphs[2 * i + 1] = 1;
    auto* glyphMap = static_cast<HPDF_Dict>(m_glyphMap);
    return HPDF_Stream_Write(glyphMap->stream, glyphs.data(), HPDF_UINT(glyphs.size())) == HPDF_OK;
}

} // namespace scriva::exporter
