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

// --- fine skew ----------------------------------------------------------------------
// A second stage after the one-degree finder: the photo is averaged down to a
// grid of about a thousand cells along its longer side, turned by the coarse
// answer, and the page's own evidence - its straight edges and its lines of
// text - measures what turn is left, to a few hundredths of a degree. Where
// the evidence does not bear the coarse answer out, the photo is measured
// again where its print lines up best and around no turn at all, and the
// better supported answer wins. A turn is only made on evidence of at least
// kMinTurnConfidence: where nothing gives strong evidence (a blank sheet
// filling the frame, a cut holding only a few lines of text) the photo is left
// as it is, whatever the one-degree finder said.

// Cells along the longer side of the fine grid.
constexpr int kFineGridSamples = 1000;
// Half-width of the fine search around the coarse answer: its bin and both neighbours.
constexpr double kFineSearchDegrees = 1.5;
// Sides are looked for this much beyond the search, and answers up to there believed.
constexpr double kLeanSlackDegrees = 0.1;
// Turns smaller than this are not worth resampling the photo for.
constexpr double kMinTurnDegrees = 0.02;
// A page edge steps (0-255) by at least kMinLineEdgeStep in at least this share of the
// lines it crosses.
constexpr double kMinEdgeLineShare = 0.5;
constexpr int kMinLineEdgeStep = 8;
// Cells either side of a column (row) compared to see a page edge in it.
constexpr int kEdgeSpanCells = 2;
// Cells on either side of an edge that must all keep apart in grey: longer than a line of
// print is high, shorter than a page's margin is wide.
constexpr int kSideRunCells = 12;
// Beside a lighter neighbour the page's side of an edge keeps at least this share of its grey...
constexpr double kLighterNeighbourShare = 0.8;
// ... and the neighbour may lie past a sliver of shadow or desk this many cells wide.
constexpr int kMaxSliverCells = 8;
// Of the lines a side is looked for along, every this many are read.
constexpr int kBandLineStride = 2;
// Share of the grid's rows (columns) around its centre the first measurement looks along.
constexpr double kCentreBandShare = 0.2;
// The page is looked for under the grid's centre unless the largest region of cells
// at least this share of the paper's grey (the grey this share of the cells reach)
// lies wholly off the centre; the region is found on about this many cells a side.
constexpr double kLightRegionShare = 0.8;
constexpr double kPaperPercentile = 0.9;
constexpr int kLightRegionCells = 250;
// Rows and columns at the frame's edges no lighter than this (0-255) anywhere are the
// frame's own dark border, up to this share of the frame on each side.
constexpr int kFrameBorderGrey = 24;
constexpr double kMaxFrameBorderShare = 0.15;
// Pages narrower or lower than this share of the grid are not believed.
constexpr double kMinPageShare = 0.1;
// Without a visible edge, the page reaches as far as its lines stay this share of paper grey.
constexpr double kPaperShare = 0.5;
// Share of the page's width (height) kept away from its corners when measuring its sides.
constexpr double kCornerShare = 0.1;
// Edge points further than this from the fitted line (cells) are dropped.
constexpr double kMaxEdgeResidualCells = 1.5;
// Sides of the page whose fitted angles differ by more than this do not confirm each other.
constexpr double kSideAgreementDegrees = 0.15;
// A side counts when this share of its measured length gave edge points.
constexpr double kMinSideSupport = 0.4;
// Text: ink is at least this much darker (0-255) than the paper around it...
constexpr int kMinInkContrast = 20;
// ... which is averaged over a square of this half-size in cells.
constexpr int kPaperWindowCells = 8;
// Fewer ink cells than this are too little text to measure a turn by.
constexpr int kMinInkCells = 400;
// More ink cells than this are thinned out evenly before the search.
constexpr size_t kMaxInkCells = 20000;
// Step of the first pass of the text search, and of its last pass.
constexpr double kTextCoarseStepDegrees = 0.1;
constexpr double kTextFineStepDegrees = 0.01;
// The sharpest line profile must stand out by this share above the flattest one.
constexpr double kMinTextProminence = 0.1;
// Where the coarse answer fails, lines of print are looked for this far either way...
constexpr double kWideSearchDegrees = 12.0;
// ... in steps of this size, over this share of the photo around its centre.
constexpr double kWideStepDegrees = 0.5;
constexpr double kWideAreaShare = 0.6;
// The two crops' sides within this many cells of each other agree (the fine one is kept).
constexpr int kCropAgreementCells = 4;
// A side of the crop is checked for a page edge within this many cells of it...
constexpr int kCropSideReachCells = kEdgeSpanCells + 2;
// ... along the lines near either end of its span: from this share of the span in
// (clear of the corner itself) to that share.
constexpr double kCornerSkipShare = 0.01;
constexpr double kCornerStripShare = 0.08;
// Edge and text answers further apart than this are not averaged: the edges win.
constexpr double kEvidenceAgreementDegrees = 0.25;
// Below this confidence (0 ... 1) the evidence is not trusted and nothing is turned: the
// one-degree answer alone turned pages by a wrong peak of their text.
constexpr double kMinTurnConfidence = 0.1;

// A grey grid with rows stored top-down and a mask of the cells that lie inside the photo
// (a turned grid has corners from outside it; the frame's own dark border lies outside).
struct FineGrid
{
    int width = 0;
    int height = 0;
    int step = 1; // photo pixels per cell along each side
    std::vector<uint8_t> grey;
    std::vector<uint8_t> inside;

    uint8_t At(int x, int y) const { return grey[size_t(y) * width + x]; }
    bool Inside(int x, int y) const { return inside[size_t(y) * width + x] != 0; }
};

// The page under the centre of a grid: the position of each side in cells (the middle of
// the edge, along the grid's axes) and whether an edge was seen there.
struct PageSides
{
    double left = 0, top = 0, right = 0, bottom = 0;
    bool seen[4] = {false, false, false, false}; // left, top, right, bottom
    bool valid = false;
};

enum class SkewSource {
    Coarse, // no trusted evidence: no turn (or refinement off: the one-degree answer)
    Edges,  // measured on the page's edges
    Text,   // measured on the lines of text
    Both,   // edges and text agreed and were averaged
};

struct SkewEstimate
{
    double degrees = 0;    // counter-clockwise turn of the page on screen, undone by ApplySkew;
                           // 0 when the evidence is below kMinTurnConfidence
    double confidence = 0; // 0 (a guess) ... 1 (long straight edges and sharp lines of text)
    SkewSource source = SkewSource::Coarse;
    int coarse = 0;              // the one-degree stage's answer
    bool coarseRejected = false; // not borne out: measured around another candidate
};

// A residual turn measured on a grid that was already turned by a candidate angle.
struct Evidence
{
    double degrees = 0;
    double strength = 0; // 0 ... 1
    bool strong = false;
};

int FineSampleStep(int width, int height);
// Block average of the photo, rows top-down.
FineGrid SampleFineGrid(const CxImage& image, int step);
// The grid turned clockwise by `ccwDegrees` on a growing canvas (a page turned counter-
// clockwise by that angle comes out straight), bilinear; corners from outside are 0.
FineGrid TurnGrid(const FineGrid& grid, double ccwDegrees);
// Finds the page lying under the centre of the grid by the edges around it; its sides may
// lean by up to `leanDegrees` from the grid's axes.
PageSides FindCentrePage(const FineGrid& grid, double leanDegrees = kFineSearchDegrees);
// Residual turn from straight lines fitted to the page's sides.
Evidence EdgeEvidence(const FineGrid& turned, const PageSides& page);
// Residual turn from the sharpness of the text lines' projection, searched within
// `limit` degrees either way in steps of `step`, then to kTextFineStepDegrees.
Evidence TextEvidence(const FineGrid& turned, const PageSides& page,
                      double limit = kFineSearchDegrees, double step = kTextCoarseStepDegrees);
// The turn at which the print around the grid's centre lines up best, within
// kWideSearchDegrees either way, to kWideStepDegrees: a candidate where the coarse
// answer is not borne out. Not strong when there is too little print.
Evidence WideTextTurn(const FineGrid& grid);
// Coarse answer, then the refinement around it (or around the other candidates).
SkewEstimate DetectFineSkew(const CxImage& image, const CxDebugSink* sink = nullptr);
// Turns the image clockwise by `ccwDegrees` (to straighten a page turned that way).
bool ApplyFineSkew(CxImage& image, double ccwDegrees);
// Hands a fine grid to the sink as an 8-bit grey image (nothing without a sink).
void DumpFineGrid(const CxDebugSink* sink, const char* stage, const FineGrid& grid);
// The page under the centre of a straight photo, as crop arguments.
PageBox DetectCentrePageBox(const CxImage& image, const CxDebugSink* sink = nullptr);

// The crop of a straightened photo: the page under the centre and the light-count
// page area side by side. Where they disagree on a side by more than
// kCropAgreementCells, the inner side is kept only when it is a page edge near both
// of its ends (a page's own side runs past its corners; the edge of a dark picture
// on the page stops at the margins); else the page goes on past it and the outer
// side is kept. So the crop holds the whole page when the page under the centre is
// cut at a picture, and is cut to the page when the centre lies off the page.
PageBox DetectPageCrop(const CxImage& image, const CxDebugSink* sink = nullptr);

// Hands a grid to the sink as an 8-bit grey image (nothing without a sink).
void DumpGrid(const CxDebugSink* sink, const char* stage, const GreyGrid& grid);
// Hands width x height cells, one byte each, row after row, to the sink as an 8-bit
// grey image (nothing without a sink): the first row is the image's top row when
// topRowFirst, else its bottom row (the order the image object keeps its rows in).
void DumpCells(const CxDebugSink* sink, const char* stage, int width, int height,
               const uint8_t* cells, bool topRowFirst);

} // namespace cxdetect
