#pragma once
// Legibility of drawn text: the relative luminance of a colour and the contrast
// ratio of two colours as the accessibility guidelines for the web define them
// (sRGB channels linearised, 0.2126 R + 0.7152 G + 0.0722 B; ratio (L1 + 0.05) /
// (L2 + 0.05), 1 to 21), and the ink to draw with on a given background so that
// text stays readable under light and dark desktop palettes alike. Pure
// functions; any thread.

#include <QColor>

class QImage;

namespace scriva::contrast {

// Ratios the program keeps: text it must move to make readable (menus), normal
// text, and large text or disabled items.
constexpr double kEnhanced = 7.0;
constexpr double kText = 4.5;
constexpr double kLarge = 3.0;

double RelativeLuminance(const QColor& colour);
double Ratio(const QColor& a, const QColor& b);

// `preferred` when it reaches `minimum` against `background`; otherwise
// `preferred` moved towards black or white (whichever side of the background
// can reach the ratio, else the one with more contrast) just far enough to
// reach it, keeping its hue. Alpha is ignored.
QColor Readable(const QColor& preferred, const QColor& background, double minimum = kText);

// The same over a background that varies (a gradient): the ink reaches the
// ratio against its lightest and its darkest colour alike; black or white,
// whichever stands out more on the middle, when no ink can.
QColor ReadableOnRange(const QColor& preferred, const QColor& lightest, const QColor& darkest,
                       double minimum = kText);

// Black or white, whichever stands out more against `background`.
QColor BlackOrWhite(const QColor& background);

// The mean colour of the opaque pixels of `image` (premultiplied alpha
// weighted), or an invalid colour when it has none.
QColor Average(const QImage& image);
// The lightest and darkest fully opaque colours of `image` by relative
// luminance; invalid colours when it has none.
struct Extremes
{
    QColor lightest;
    QColor darkest;
};
Extremes LightestAndDarkest(const QImage& image);

} // namespace scriva::contrast
