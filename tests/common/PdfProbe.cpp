#include "PdfProbe.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace pdftest {

namespace {

QString runTool(const QString& tool, const QStringList& args, int* exitCode = nullptr)
{
    QProcess process;
    process.start(tool, args);
    const bool done = process.waitForFinished(30000);
    if (exitCode)
        *exitCode = done && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

int PageCount(const QString& pdf)
{
    int rc = -1;
    const QString out = runTool(QStringLiteral("pdfinfo"), {pdf}, &rc);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(out);
    return rc == 0 && m.hasMatch() ? m.captured(1).toInt() : -1;
}

std::vector<PageSize> PageSizes(const QString& pdf, int first, int last)
{
    const QString out =
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QString::number(first),
                                            QStringLiteral("-l"), QString::number(last), pdf});
    static const QRegularExpression line(
        QStringLiteral("^Page\\s+\\d+ size:\\s+([0-9.]+) x ([0-9.]+) pts"),
        QRegularExpression::MultilineOption);
    std::vector<PageSize> sizes;
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        sizes.push_back({m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return sizes;
}

std::vector<EmbeddedImage> Images(const QString& pdf)
{
    const QString out = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    std::vector<EmbeddedImage> images;
    // page num type width height color comp bpc enc ...; two header lines first.
    for (const QString& row : out.split(QLatin1Char('\n')).mid(2)) {
        const QStringList f = row.simplified().split(QLatin1Char(' '));
        if (f.size() < 9)
            continue;
        images.push_back({f[0].toInt(), f[3].toInt(), f[4].toInt(), f[5], f[8], f[7].toInt()});
    }
    return images;
}

QString Text(const QString& pdf, int first, int last)
{
    QStringList args;
    if (first > 0)
        args << QStringLiteral("-f") << QString::number(first);
    if (last > 0)
        args << QStringLiteral("-l") << QString::number(last);
    args << QStringLiteral("-enc") << QStringLiteral("UTF-8") << pdf << QStringLiteral("-");
    return runTool(QStringLiteral("pdftotext"), args);
}

std::vector<WordBox> Words(const QString& pdf)
{
    const QString out =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                              QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    std::vector<WordBox> words;
    int page = 0;
    for (auto it = item.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        QString text = m.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        words.push_back({page, text, m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

QString Info(const QString& pdf, const QString& key)
{
    const QString out =
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(key) +
                               QStringLiteral(":\\s+(.*)$"),
                           QRegularExpression::MultilineOption)
            .match(out);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

bool QpdfClean(const QString& pdf, QString* report)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    const bool done = process.waitForFinished(30000);
    const QString out = QString::fromUtf8(process.readAll());
    if (report)
        *report = out;
    return done && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
           out.contains(QStringLiteral("No syntax or stream encoding errors"));
}

} // namespace pdftest
