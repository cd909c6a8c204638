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
        images.push_back({f[0].toInt(), f[3].toInt(), f[4].toInt(), f[5], f[8]});
    }
    return images;
}

} // namespace pdftest
