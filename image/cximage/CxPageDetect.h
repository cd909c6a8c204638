#pragma once
// The phases of the two page detectors of the image object: the skew finder
// (sampled grey grid, binarisation, speck removal, edge map, Hough transform)
// and the page-area finder (light-pixel counts per row and column). Each phase
// is a plain function over 8-bit buffers so tests can drive and inspect it; the
// members AutoDeskew and AutoCropBorder chain them. Any one thread at a time.

#include "CxImage.h"

#include <array>
#include <cstdint>
#include <vector>

namespace cxdetect {

using Histogram = std::array<uint32_t, 256>;

// An 8-bit buffer with rows stored bottom-up, tightly packed.
struct GreyGrid
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
    const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
};

// --- skew ---------------------------------------------------------------------

// Samples per side the skew finder aims at, whatever the photo's resolution.
constexpr int kSkewGridSamples = 100;
// Connected sets of at most this many grid samples count as specks.
constexpr int kMaxSpeckSamples = 14;
// Grey step between neighbours (0-255) that marks a light sample as an edge.
constexpr int kEdgeGreyStep = 20;
// Angular resolution of the Hough accumulators: one bin per degree over half a turn.
constexpr int kHoughAngles = 180;

int SkewSampleStep(int width, int height);
GreyGrid SampleGreyGrid(const CxImage& image, int step, Histogram& histogram);
void Binarise(GreyGrid& grid, int threshold);
void RemoveSpecks(GreyGrid& grid);
GreyGrid EdgeMap(const GreyGrid& grid);
// Raw Hough answer in degrees, -90 ... 89 (the strongest line's normal angle less 90).
int HoughSkew(const GreyGrid& edges);
// Turns a raw Hough answer into the clockwise turn that straightens the page:
// 0 when nothing is to be done, else a value in -45 ... 45.
int FoldSkew(int rawSkew);
// The whole skew finder: the clockwise turn in degrees that straightens the page.
int DetectSkew(const CxImage& image, const CxDebugSink* sink = nullptr);
// Turns the image clockwise by `skew` degrees on a growing canvas, corners black.
bool ApplySkew(CxImage& image, int skew);

// --- page area ------------------------------------------------------------------

// A run of light rows (or columns) must be longer than this to count as page.
constexpr int kMinPageRunLines = 15;
// Page areas narrower or lower than this many pixels are not believed.
constexpr int kMinPageSidePixels = 20;
// Fallback light-pixel count per line when little of the picture is light.
constexpr int kSparseLineThreshold = 250;

// Crop arguments: top-down pixel coordinates, right and bottom exclusive.
struct PageBox
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Full-resolution grey copy (bottom-up rows) and its histogram.
GreyGrid GreyCopy(const CxImage& image, Histogram& histogram);
// The page-area finder over a binarised grey copy (light = 255).
PageBox FindPageBox(const GreyGrid& binary);
PageBox DetectPageBox(const CxImage& image, const CxDebugSink* sink = nullptr);

// Hands a grid to the sink as an 8-bit grey image (nothing without a sink).
void DumpGrid(const CxDebugSink* sink, const char* stage, const GreyGrid& grid);

} // namespace cxdetect
