#include "app/widgets/Contrast.h"

#include <QImage>
#include <algorithm>
#include <cmath>

namespace scriva::contrast {

namespace {
double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// The colour a fraction t (0..1) of the way from `from` to `to`.
QColor mix(const QColor& from, const QColor& to, double t)
{
    auto at = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(at(from.red(), to.red()), at(from.green(), to.green()),
                  at(from.blue(), to.blue()));
}
} // namespace

double RelativeLuminance(const QColor& colour)
{
    const QColor c = colour.toRgb();
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double Ratio(const QColor& a, const QColor& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor BlackOrWhite(const QColor& background)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return Ratio(black, background) >= Ratio(white, background) ? black : white;
}

QColor Readable(const QColor& preferred, const QColor& background, double minimum)
{
    const QColor ink = preferred.toRgb();
    const QColor opaque(ink.red(), ink.green(), ink.blue());
    if (Ratio(opaque, background) >= minimum)
        return opaque;
    // Towards the pole that can reach the ratio; when neither can, the better one.
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const double withBlack = Ratio(black, background);
    const double withWhite = Ratio(white, background);
    QColor pole = withBlack >= withWhite ? black : white;
    if (withBlack >= minimum && withWhite < minimum)
        pole = black;
    else if (withWhite >= minimum && withBlack < minimum)
        pole = white;
    else if (withBlack >= minimum && withWhite >= minimum)
        pole = RelativeLuminance(opaque) >= RelativeLuminance(background) ? white : black;
    if (Ratio(pole, background) < minimum)
        return pole;
    // The ratio grows steadily only on the pole's side of the background: an ink on
    // the other side sets out from the background's own colour.
    const bool poleIsBlack = pole == black;
    const double inkLight = RelativeLuminance(opaque);
    const double backLight = RelativeLuminance(background);
    const QColor start =
        (poleIsBlack ? inkLight <= backLight : inkLight >= backLight) ? opaque : background.toRgb();
    // The least mix that reaches the ratio.
    double lo = 0.0;
    double hi = 1.0;
    for (int i = 0; i < 20; ++i) {
        const double t = (lo + hi) / 2;
        if (Ratio(mix(start, pole, t), background) >= minimum)
            hi = t;
        else
            lo = t;
    }
    QColor result = mix(start, pole, hi);
    // Rounding to whole channel values may fall a hair short; step on until it holds.
    for (double t = hi; Ratio(result, background) < minimum && t < 1.0;) {
        t = std::min(1.0, t + 1.0 / 255);
        result = mix(start, pole, t);
    }
    return result;
}

QColor ReadableOnRange(const QColor& preferred, const QColor& lightest, const QColor& darkest,
                       double minimum)
{
    auto fits = [&](const QColor& ink) {
        return Ratio(ink, lightest) >= minimum && Ratio(ink, darkest) >= minimum;
    };
    const QColor ink = preferred.toRgb();
    const QColor opaque(ink.red(), ink.green(), ink.blue());
    if (fits(opaque))
        return opaque;
    // A dark ink is bound by the darkest background, a light one by the lightest.
    const QColor darker = Readable(opaque, darkest, minimum);
    const QColor lighter = Readable(opaque, lightest, minimum);
    const bool darkerFits = fits(darker);
    const bool lighterFits = fits(lighter);
    const double wanted = RelativeLuminance(opaque);
    if (darkerFits && lighterFits)
        return std::abs(RelativeLuminance(darker) - wanted) <=
                       std::abs(RelativeLuminance(lighter) - wanted)
                   ? darker
                   : lighter;
    if (darkerFits)
        return darker;
    if (lighterFits)
        return lighter;
    const QColor l = lightest.toRgb();
    const QColor d = darkest.toRgb();
    return BlackOrWhite(
        QColor((l.red() + d.red()) / 2, (l.green() + d.green()) / 2, (l.blue() + d.blue()) / 2));
}

Extremes LightestAndDarkest(const QImage& image)
{
    Extremes e;
    if (image.isNull())
        return e;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    double high = -1;
    double low = 2;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                continue;
            const QColor c(line[x]);
            const double l = RelativeLuminance(c);
            if (l > high) {
                high = l;
                e.lightest = c;
            }
            if (l < low) {
                low = l;
                e.darkest = c;
            }
        }
    }
    return e;
}

QColor Average(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double r = 0, g = 0, b = 0, a = 0;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            r += qRed(line[x]);
            g += qGreen(line[x]);
            b += qBlue(line[x]);
            a += qAlpha(line[x]);
        }
    }
    if (a <= 0)
        return {};
    // Premultiplied sums over the alpha sum give the straight mean colour.
    auto channel = [a](double sum) { return std::clamp(int(std::lround(sum * 255 / a)), 0, 255); };
    return QColor(channel(r), channel(g), channel(b));
}

} // namespace scriva::contrast
