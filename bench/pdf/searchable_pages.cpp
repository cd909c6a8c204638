// Writes the pages of the searchable-PDF benchmark:
//   searchable_pages TEXT.txt STEM
// STEM.png: the text (paragraphs separated by blank lines) on an A4 page at 300
// dpi, DejaVu Sans 11 pt, 2 cm margins, 8-bit grey; STEM.boxes: every word as
// "text<TAB>left top right bottom<TAB>left top right bottom" in pixels, first its
// ink box, then its typeset box (its advance across, the font's ascent to descent
// down); STEM_colour.jpg: the same page as a colour photo (warm paper, blue-black
// ink, uneven light, sensor noise, JPEG quality 90, 300 dpi); STEM_bw.png: the
// page in black and white, one bit per pixel. Exit code 3: the text does not fit
// on the page (nothing written).

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextStream>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kPageW = 2480, kPageH = 3508; // A4 at 300 dpi
constexpr int kDpi = 300;
constexpr int kMargin = 236; // 2 cm
constexpr double kPoints = 11.0;
constexpr double kLightFar = 0.80; // brightness in the far corner
constexpr double kNoiseSigma = 5.0;
constexpr int kJpegQuality = 90;
constexpr double kInchPerMetre = 39.37007874015748;
constexpr int kDoesNotFit = 3;

struct Word
{
    QString text;
    QPoint origin; // pen position on the baseline
};

QFont pageFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(std::lround(kPoints * kDpi / 72.0)));
    return font;
}

// Word wrap by hand, so that every word's place is known.
bool layOut(const QString& text, const QFontMetrics& fm, std::vector<Word>& words)
{
    const int right = kPageW - kMargin, bottom = kPageH - kMargin;
    int y = kMargin + fm.ascent();
    for (const QString& paragraph : text.split(QStringLiteral("\n\n"))) {
        int x = kMargin;
        for (const QString& word :
             paragraph.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int width = fm.horizontalAdvance(word);
            if (x > kMargin && x + width > right) {
                x = kMargin;
                y += fm.lineSpacing();
            }
            if (y + fm.descent() > bottom)
                return false;
            words.push_back({word, QPoint(x, y)});
            x += width + fm.horizontalAdvance(QLatin1Char(' '));
        }
        y += 2 * fm.lineSpacing();
    }
    return true;
}

void setDpi(QImage& image)
{
    image.setDotsPerMeterX(int(kDpi * kInchPerMetre + 0.5));
    image.setDotsPerMeterY(int(kDpi * kInchPerMetre + 0.5));
}

QImage colourPhoto(const QImage& grey)
{
    QImage photo(grey.size(), QImage::Format_RGB32);
    QRandomGenerator random(20261207);
    const double diag = std::hypot(grey.width(), grey.height());
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* in = grey.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const double ink = 1.0 - in[x] / 255.0;
            const double light = 1.0 - (1.0 - kLightFar) * std::hypot(x, y) / diag;
            const double n = kNoiseSigma * (random.generateDouble() - 0.5) * 2;
            auto mix = [&](double paper, double inkColour) {
                return int(
                    std::clamp((paper * (1 - ink) + inkColour * ink) * light + n, 0.0, 255.0));
            };
            out[x] = qRgb(mix(246, 30), mix(238, 35), mix(222, 70));
        }
    }
    setDpi(photo);
    return photo;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: searchable_pages TEXT.txt STEM\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "searchable_pages: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString stem = QString::fromLocal8Bit(argv[2]);
    const QFont font = pageFont();
    const QFontMetrics fm(font);
    std::vector<Word> words;
    if (!layOut(QString::fromUtf8(in.readAll()), fm, words)) {
        std::fprintf(stderr, "searchable_pages: the text is longer than one page\n");
        return kDoesNotFit;
    }
    QImage page(kPageW, kPageH, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setFont(font);
    p.setPen(Qt::black);
    QFile boxes(stem + QStringLiteral(".boxes"));
    if (!boxes.open(QIODevice::WriteOnly))
        return 1;
    QTextStream out(&boxes);
    for (const Word& w : words) {
        p.drawText(w.origin, w.text);
        const QRect ink = fm.tightBoundingRect(w.text).translated(w.origin);
        const QRect set(w.origin.x(), w.origin.y() - fm.ascent(), fm.horizontalAdvance(w.text),
                        fm.ascent() + fm.descent());
        out << w.text << '\t' << ink.left() << ' ' << ink.top() << ' ' << ink.right() + 1 << ' '
            << ink.bottom() + 1 << '\t' << set.left() << ' ' << set.top() << ' ' << set.right() + 1
            << ' ' << set.bottom() + 1 << '\n';
    }
    p.end();
    QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    setDpi(grey);
    QImage bw = grey.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    setDpi(bw);
    if (!grey.save(stem + QStringLiteral(".png")) ||
        !colourPhoto(grey).save(stem + QStringLiteral("_colour.jpg"), nullptr, kJpegQuality) ||
        !bw.save(stem + QStringLiteral("_bw.png"))) {
        std::fprintf(stderr, "searchable_pages: cannot write %s.*\n", argv[2]);
        return 1;
    }
    return 0;
}
