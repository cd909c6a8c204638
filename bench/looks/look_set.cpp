// Page looks on generated page photos (tests/image/cximage/lit_page.h) at 5 MP
// with real text drawn by Qt:
//   look_set write DIR TEXT.txt   draws every scene and writes, per scene N,
//       N-photo.png (the photo), N-photo.jpg (at the photo quality), N-photo.bmp,
//       N-document.png, N-grey.png, N-bw.png, N-bw.tif and N-truth.txt (the text
//       that can be seen), and prints the CPU time of each look (one thread,
//       best of five, thread CPU time).
//   look_set ground TEXT.txt N FILE   prints the median and standard deviation of
//       FILE's grey over scene N's bare paper (away from text and pictures).
// The scenes: uneven light, strong vignetting, a hard shadow band, coloured
// paper, pale pencil, a large photo, a mostly blank page, a dim page.

#include "CxImage.h"
#include "CxPageLook.h"
#include "tests/image/cximage/lit_page.h"

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

constexpr int kWidth = 1944, kHeight = 2592; // a page at about 220 dpi, 5 Mpx
constexpr int kMargin = 150;
constexpr int kFontPx = 30;
constexpr int kRuns = 5;
constexpr int kSentences = 15; // about 300 words: half a page, so recognition stays quick

QFont PageFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kFontPx);
    return font;
}

// The text of a scene: kSentences sentences as far as they fit (a mostly blank
// page: one).
QString FittingText(const QStringList& sentences, const litpage::Scene& s, QRect& area)
{
    area = QRect(kMargin, kMargin, kWidth - 2 * kMargin, kHeight - 2 * kMargin);
    QImage probe(8, 8, QImage::Format_RGB32);
    QPainter p(&probe);
    p.setFont(PageFont());
    const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
    QString text;
    const int wanted = s.blank ? 1 : kSentences;
    for (int i = 0; i < wanted; ++i) {
        const QString& next = sentences[i % sentences.size()];
        QString longer = text.isEmpty() ? next : text + ((i % 3) ? " " : "\n\n") + next;
        if (p.boundingRect(area, flags, longer).height() > area.height())
            break;
        text = longer;
    }
    return text;
}

std::vector<uint8_t> Coverage(const QString& text, const QRect& area)
{
    QImage page(kWidth, kHeight, QImage::Format_Grayscale8);
    page.fill(0);
    QPainter p(&page);
    p.setFont(PageFont());
    p.setPen(Qt::white);
    p.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    p.end();
    std::vector<uint8_t> cov(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(page.constScanLine(y), kWidth, cov.begin() + size_t(y) * kWidth);
    return cov;
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

litpage::Page DrawScene(const QStringList& sentences, size_t n, QString* textOut)
{
    const litpage::Scene s = litpage::Set(kWidth, kHeight)[n];
    QRect area;
    const QString text = FittingText(sentences, s, area);
    if (textOut)
        *textOut = text;
    const std::vector<uint8_t> cov = Coverage(text, area);
    return litpage::Draw(s, &cov);
}

QStringList Sentences(const char* path)
{
    QFile f(QString::fromLocal8Bit(path));
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n'))
        if (!line.trimmed().isEmpty())
            out << line.trimmed();
    return out;
}

int Write(const std::string& dir, const char* textPath)
{
    const QStringList sentences = Sentences(textPath);
    if (sentences.isEmpty()) {
        std::fprintf(stderr, "look_set: no text in %s\n", textPath);
        return 1;
    }
    const auto scenes = litpage::Set(kWidth, kHeight);
    std::printf("| page | Document ms | Grey ms | Black and white ms |\n|---|---:|---:|---:|\n");
    for (size_t n = 0; n < scenes.size(); ++n) {
        QString text;
        const litpage::Page page = DrawScene(sentences, n, &text);
        const std::string stem = dir + "/" + std::to_string(n) + "-";
        CxImage photo(page.image);
        photo.Save(stem + "photo.png", CXIMAGE_FORMAT_PNG);
        photo.Save(stem + "photo.bmp", CXIMAGE_FORMAT_BMP);
        photo.Save(stem + "photo.jpg", CXIMAGE_FORMAT_JPG);
        QFile truth(QString::fromStdString(stem + "truth.txt"));
        if (truth.open(QIODevice::WriteOnly))
            truth.write(scenes[n].photo ? QByteArray() : text.toUtf8());
        double best[3] = {1e9, 1e9, 1e9};
        const cxlook::Look looks[3] = {cxlook::Look::Document, cxlook::Look::Grey,
                                       cxlook::Look::BlackWhite};
        for (int k = 0; k < 3; ++k)
            for (int r = 0; r < kRuns; ++r) {
                CxImage img(page.image);
                const double t0 = ThreadCpuMs();
                cxlook::ApplyLook(img, looks[k]);
                best[k] = std::min(best[k], ThreadCpuMs() - t0);
                if (r == 0) {
                    img.Save(stem + cxlook::LookName(looks[k]) + ".png", CXIMAGE_FORMAT_PNG);
                    if (looks[k] == cxlook::Look::BlackWhite)
                        img.Save(stem + "bw.tif", CXIMAGE_FORMAT_TIF);
                }
            }
        std::printf("| %s | %.0f | %.0f | %.0f |\n", scenes[n].name.c_str(), best[0], best[1],
                    best[2]);
        std::fflush(stdout);
    }
    return 0;
}

int Ground(const std::string& textPath, size_t n, const std::string& file)
{
    const QStringList sentences = Sentences(textPath.c_str());
    const litpage::Page page = DrawScene(sentences, n, nullptr);
    CxImage img;
    if (!img.Load(file, 0)) {
        std::fprintf(stderr, "look_set: %s: %s\n", file.c_str(), img.GetLastError());
        return 1;
    }
    const litpage::Stats st = litpage::Measure(img, page.ground, 2);
    std::printf("%.0f %.2f\n", st.median, st.stddev);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "write" && argc == 4)
        return Write(argv[2], argv[3]);
    if (cmd == "ground" && argc == 5)
        return Ground(argv[2], size_t(std::atoi(argv[3])), argv[4]);
    std::fprintf(stderr, "usage: look_set write DIR TEXT.txt | look_set ground TEXT.txt N FILE\n");
    return 2;
}
