#pragma once
// Reads a written PDF back with poppler's command-line tools, as a user's viewer
// would see it: the page sizes (pdfinfo) and the embedded images (pdfimages
// -list). Test thread only.

#include <QString>
#include <vector>

namespace pdftest {

struct PageSize
{
    double width = 0; // points
    double height = 0;
};

struct EmbeddedImage
{
    int page = 0;
    int width = 0; // pixels
    int height = 0;
    QString colour;   // "rgb", "gray", ...
    QString encoding; // "jpeg", "image", ...
    int bitsPerComponent = 0;
};

// A word as pdftotext -bbox reads it: page from 1, box in points from the top left.
struct WordBox
{
    int page = 0;
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// Page count from pdfinfo; -1 when pdfinfo cannot read the file.
int PageCount(const QString& pdf);
// Sizes of pages first..last as pdfinfo -f first -l last lists them.
std::vector<PageSize> PageSizes(const QString& pdf, int first, int last);
std::vector<EmbeddedImage> Images(const QString& pdf);
// pdftotext's text of pages first..last (0, 0: all), as UTF-8 decoded.
QString Text(const QString& pdf, int first = 0, int last = 0);
std::vector<WordBox> Words(const QString& pdf);
// The value of one pdfinfo line ("Title", "Producer", ...); empty when absent.
QString Info(const QString& pdf, const QString& key);
// qpdf --check: true when it finds nothing wrong; its report in *report.
bool QpdfClean(const QString& pdf, QString* report = nullptr);

} // namespace pdftest
