#include "PageWords.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace scriva::ocr {

QString PageWordsText(const PageWords& words)
{
    QString text;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0 && words[i].line == words[i - 1].line)
            text += QLatin1Char(' ');
        text += words[i].text;
        if (i + 1 == words.size() || words[i + 1].line != words[i].line)
            text += QStringLiteral("\r\n");
    }
    return text;
}

namespace {

struct Line
{
    QRect box;
    std::vector<const RecognizedWord*> words;
};

std::vector<Line> linesOf(const PageWords& words)
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

// The text's lines, each as its words; lines of only white space left out.
std::vector<QStringList> textLines(const QString& text)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    std::vector<QStringList> lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QStringList words = line.split(space, Qt::SkipEmptyParts);
        if (!words.isEmpty())
            lines.push_back(words);
    }
    return lines;
}

// The words over the box by their lengths, parted by gaps of a quarter of the box's
// height (as wide as a space in most type, so readers keep them on one line).
void spread(const QStringList& words, const QRect& box, int line, PageWords& out)
{
    const double gap = std::min(box.height() / 4.0, box.width() / (4.0 * words.size()));
    qsizetype characters = 0;
    for (const QString& w : words)
        characters += w.size();
    const double perCharacter =
        (box.width() - gap * double(words.size() - 1)) / double(std::max<qsizetype>(1, characters));
    double x = box.left();
    for (const QString& w : words) {
        const double width = perCharacter * double(w.size());
        RecognizedWord word;
        word.text = w;
        word.box = QRect(int(std::lround(x)), box.top(), std::max(1, int(std::lround(width))),
                         box.height());
        word.line = line;
        word.lineBox = box;
        word.baseline = box.bottom();
        out.push_back(word);
        x += width + gap;
    }
}

} // namespace

PageWords LayTextOverWords(const QString& text, const PageWords& recognised, QSize image)
{
    const std::vector<QStringList> wanted = textLines(text);
    const std::vector<Line> found = linesOf(recognised);
    PageWords out;
    if (wanted.size() == found.size()) {
        for (size_t n = 0; n < wanted.size(); ++n) {
            const QStringList& words = wanted[n];
            const Line& line = found[n];
            if (qsizetype(line.words.size()) != words.size()) {
                spread(words, line.box, int(n), out);
                continue;
            }
            for (qsizetype k = 0; k < words.size(); ++k) {
                RecognizedWord word = *line.words[size_t(k)];
                word.text = words[k];
                word.line = int(n);
                out.push_back(word);
            }
        }
        return out;
    }
    QRect area;
    for (const Line& line : found)
        area = area.united(line.box);
    if (area.isEmpty())
        area = QRect(QPoint(0, 0), image);
    const int count = int(wanted.size());
    for (int n = 0; n < count; ++n) {
        const int top = area.top() + area.height() * n / count;
        const int bottom = area.top() + area.height() * (n + 1) / count;
        spread(wanted[size_t(n)], QRect(area.left(), top, area.width(), std::max(1, bottom - top)),
               n, out);
    }
    return out;
}

} // namespace scriva::ocr
