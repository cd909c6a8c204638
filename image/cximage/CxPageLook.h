#pragma once
// Page looks: a photo of a page turned into what a scanner would give. The
// paper's light is estimated across the page from the ground between the text
// and pictures, divided out, and the white and black points are set:
//   Document   even light, white paper, colours kept (pictures stay natural)
//   Grey       the same in 8-bit grey
//   BlackWhite a 1-bit page, thresholded against the local light; its TIFF
//              option asks for Group 4, so PNG and TIFF both store it small
//   Original   the picture untouched
// Shared by the photo pipeline, the image command and the command line. No Qt;
// one thread per image.

#include "CxImage.h"

#include <string>
#include <vector>

namespace cxlook {

enum class Look : int { Original = 0, Document = 1, Grey = 2, BlackWhite = 3 };

constexpr Look kLooks[] = {Look::Original, Look::Document, Look::Grey, Look::BlackWhite};

// "original", "document", "grey", "bw": the command line's and the settings' names.
const char* LookName(Look look);
// Accepts the names above in any case (and "gray", "blackwhite"); false otherwise.
bool LookFromName(const std::string& name, Look& look);
// 0 to 3 as stored in the settings; false for any other number.
bool LookFromIndex(int index, Look& look);

// The paper's light at a grid of cells: colour and grey level of the ground of
// each cell, with cells of text and pictures filled in from the paper around them.
struct Ground
{
    int cell = 0; // pixels per side of a cell
    int cols = 0;
    int rows = 0; // rows counted like the image's (bottom-up)
    std::vector<float> blue, green, red, grey;
    std::vector<uint8_t> paper; // 1: the cell showed bare paper, 0: filled in

    float At(const std::vector<float>& plane, int col, int row) const
    {
        return plane[size_t(row) * size_t(cols) + size_t(col)];
    }
};

// Estimates the ground of a 24-bit or 8-bit grey image (false for any other).
bool EstimateGround(const CxImage& image, Ground& ground);

// Applies the look in place. Palette images are first made 24-bit or grey.
// Original leaves the image as it is. False with the image's last error (the
// image is then unchanged).
bool ApplyLook(CxImage& image, Look look);

} // namespace cxlook
