#pragma once
// Sizes of the thumbnail column as pure functions: the cell a thumbnail is
// drawn into, where a picture sits inside its cell, and the order in which the
// cells are painted. Any thread.

#include <QRect>
#include <QSize>
#include <limits>
#include <vector>

namespace scriva::thumbs {

constexpr int kLabelGapPx = 19;          // taken from a cell's share of the pane besides the label
constexpr double kCellWidthRatio = 1.25; // cell width = height x 1.25
constexpr int kRowSpacingPx = 15;        // between one cell's label and the next cell
constexpr int kMinPaneWidthPx = 20;      // a pane this narrow or less gets no thumbnails
constexpr int kMinPaintedHeightPx = 8;   // cells lower than this show their label only
constexpr unsigned kFrameRgb = 0xC0C0C0;
constexpr unsigned kBackgroundRgb = 0xFFFFFF;

// The cell of one thumbnail: thumbnailNum of them (below 1 counts as 1) share
// the pane's height, each also holding its label; the width follows the
// height but never exceeds the column's. Never smaller than 1 x 1.
QSize CellSize(int paneHeight, int thumbnailNum, int textHeight,
               int columnWidth = std::numeric_limits<int>::max());

// Whether cells of this size get pictures at all.
bool CellIsPainted(QSize cell);

// Where a picture of imageSize is drawn in a cell: a picture taller than the
// cell's shape fills its height and is centred across, any other fills its
// width and is centred from top to bottom. Empty for an empty picture or cell.
QRect FitRect(QSize imageSize, QSize cell);

// The size of a picture scaled to fit in box x box (longest side = box).
QSize FitLongestSide(QSize imageSize, int box);

// The order the items of a list of `count` are painted in: the `visible` items
// from `first` on, then outward in both directions, one below, one above.
std::vector<int> PaintOrder(int count, int first, int visible);

} // namespace scriva::thumbs
