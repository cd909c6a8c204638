#pragma once
// Helpers of the recognition tests: text rendered into a CxImage with a real
// font (black on white, at a size like a 300 dpi page), the character error
// rate of a recognised text against its ground truth, and a Gui application
// for the font machinery. The test thread only.

#include "image/cximage/CxImage.h"

#include <QString>
#include <QStringList>

namespace ocrtest {

// Makes sure a QGuiApplication exists (fonts need one).
void ensureGuiApp();

// The lines rendered in DejaVu Sans at `pixelSize` with `margin` white pixels
// around them, as an 8-bit grey image (or 24-bit when colour is true).
CxImage renderText(const QStringList& lines, int pixelSize = 40, int margin = 30,
                   bool colour = false);
// The same picture as 1 bit per pixel; with `inverted` the palette's entry 0
// is white and entry 1 black (set bits are the ink).
CxImage toOneBit(const CxImage& grey, bool inverted);

// Edit distance / length of truth, after collapsing runs of white space.
double charErrorRate(const QString& recognised, const QString& truth);

} // namespace ocrtest
