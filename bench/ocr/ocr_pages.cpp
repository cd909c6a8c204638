// Writes the pages of the recognition benchmark:
//   ocr_pages TEXT.txt PAGE.png [CAMERA.jpg]
// PAGE.png: the text (paragraphs separated by blank lines) on an A4 page at
// 300 dpi, DejaVu Sans 11 pt, 2 cm margins, 8-bit grey. CAMERA.jpg: the same
// page as a document camera sees it: 140 dpi, turned 0.4 degrees, slightly
// soft, lit unevenly, with sensor noise, saved as JPEG. Exit code 3: the
// text does not fit on the page (nothing written).

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kPageW = 2480, kPageH = 3508; // A4 at 300 dpi
constexpr int kDpi = 300;
constexpr int kCameraDpi = 140;
constexpr int kMargin = 236; // 2 cm
constexpr double kPoints = 11.0;
constexpr double kTurnDeg = 0.4;
constexpr double kLightFar = 0.74;  // brightness in the far corner
constexpr double kNoiseSigma = 6.0; // grey levels
constexpr int kJpegQuality = 82;
constexpr double kInchPerMetre = 39.37007874015748;

constexpr int kDoesNotFit = 3; // exit code: the text is longer than the page

QRect textArea()
{
    return QRect(kMargin, kMargin, kPageW - 2 * kMargin, kPageH - 2 * kMargin);
}

QFont pageFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(std::lround(kPoints * kDpi / 72.0)));
    return font;
}

bool fits(const QString& text)
{
    QImage probe(8, 8, QImage::Format_RGB32);
    QPainter p(&probe);
    p.setFont(pageFont());
    const QRect area = textArea();
    const QRect needed =
        p.boundingRect(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return needed.height() <= area.height();
}

QImage renderPage(const QString& text)
{
    QImage page(kPageW, kPageH, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(int(kDpi * kInchPerMetre + 0.5));
    page.setDotsPerMeterY(int(kDpi * kInchPerMetre + 0.5));
    QPainter p(&page);
    p.setFont(pageFont());
    p.setPen(Qt::black);
    p.drawText(textArea(), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    p.end();
    return page.convertToFormat(QImage::Format_Grayscale8);
}

QImage cameraView(const QImage& page)
{
    const double scale = double(kCameraDpi) / kDpi;
    QImage small = page.convertToFormat(QImage::Format_RGB32)
                       .scaled(int(page.width() * scale), int(page.height() * scale),
                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage turned(small.size(), QImage::Format_RGB32);
    turned.fill(Qt::white);
    QPainter p(&turned);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(small.width() / 2.0, small.height() / 2.0);
    p.rotate(kTurnDeg);
    p.translate(-small.width() / 2.0, -small.height() / 2.0);
    p.drawImage(0, 0, small);
    p.end();
    // Soft focus: down to 80 % and back up.
    QImage soft = turned
                      .scaled(turned.width() * 4 / 5, turned.height() * 4 / 5,
                              Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .scaled(turned.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_Grayscale8);
    QRandomGenerator random(20261207);
    const double diag = std::hypot(soft.width(), soft.height());
    for (int y = 0; y < soft.height(); ++y) {
        uchar* row = soft.scanLine(y);
        for (int x = 0; x < soft.width(); ++x) {
            const double light = 0.98 - (0.98 - kLightFar) * std::hypot(x, y) / diag;
            // Box-Muller from two uniforms.
            const double u1 = std::max(random.generateDouble(), 1e-12),
                         u2 = random.generateDouble();
            const double noise =
                kNoiseSigma * std::sqrt(-2 * std::log(u1)) * std::cos(2 * M_PI * u2);
            row[x] = uchar(std::clamp(row[x] * light + noise, 0.0, 255.0));
        }
    }
    soft.setDotsPerMeterX(int(kCameraDpi * kInchPerMetre + 0.5));
    soft.setDotsPerMeterY(int(kCameraDpi * kInchPerMetre + 0.5));
    return soft;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: ocr_pages TEXT.txt PAGE.png [CAMERA.jpg]\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "ocr_pages: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text = QString::fromUtf8(in.readAll());
    if (!fits(text)) {
        std::fprintf(stderr, "ocr_pages: the text is longer than one page\n");
        return kDoesNotFit;
    }
    const QImage page = renderPage(text);
    if (!page.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "ocr_pages: cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc > 3 &&
        !cameraView(page).save(QString::fromLocal8Bit(argv[3]), nullptr, kJpegQuality)) {
        std::fprintf(stderr, "ocr_pages: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
