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
};

// Page count from pdfinfo; -1 when pdfinfo cannot read the file.
int PageCount(const QString& pdf);
// Sizes of pages first..last as pdfinfo -f first -l last lists them.
std::vector<PageSize> PageSizes(const QString& pdf, int first, int last);
std::vector<EmbeddedImage> Images(const QString& pdf);

} // namespace pdftest
