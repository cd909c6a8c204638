#pragma once
// TextInfo: the one record of the text tool - what to stamp onto an image and how (font,
// colour, alignment, optional background box). The program keeps a single instance for the
// whole run; it starts all zero (empty text, default font, black, left, no box).
// Plain data: owned and used on the user-interface thread.

#include "image/cximage/CxImage.h"

#include <QString>
#include <cstdint>

// The font fields as the text dialog fills them (a height below zero is the character
// height in pixels, above zero the cell height; 0 = the default size).
struct CxLogFont
{
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0; // 0 = normal, else 100 (thin) ... 900 (black)
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    QString lfFaceName; // at most 31 characters; empty = the default family
};

struct TextInfo
{
    static constexpr int kMaxText = 4095; // characters kept of `text`
    enum Align : uint32_t { Left = 0, Centre = 1, Right = 2 };

    QString text;
    CxLogFont lfont;
    COLORREF fcolor = 0;    // text colour
    uint32_t align = Left;  // for multi-line text
    uint8_t smooth = 0;     // anti-aliased glyphs
    uint8_t opaque = 0;     // draw the background box
    COLORREF bcolor = 0;    // box colour
    float b_opacity = 0.0f; // 0.0 (clear) ... 1.0 (solid)
    uint8_t b_outline = 0;  // box outline width in pixels
    uint8_t b_round = 0;    // box corner radius in percent of the text height, 0..50
};
