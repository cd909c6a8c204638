#pragma once
// Shrinks a picture by box averages: every target pixel is the mean of the
// block of source pixels it covers, so fine text and dither do not alias the
// way point sampling does. Reads the source one row at a time, top row first,
// so a decoder can hand rows over without building a full 32-bit copy. Pure,
// any thread.

#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>

namespace scriva::thumbs {

// Gives row y (0 = top) as `width` pixels 0xAARRGGBB; may fill and return
// `scratch` (room for `width` pixels) or return a row of its own.
using RowSource = std::function<const uint32_t*(int y, uint32_t* scratch)>;

// A picture of `target` size (RGB32) from a source of `source` size. A target
// larger than the source in a direction is reached by smooth enlarging after
// the averaging. Null when either size is empty.
QImage BoxShrink(QSize source, QSize target, const RowSource& rows);

// The same over a picture in memory (any format).
QImage BoxShrink(const QImage& source, QSize target);

} // namespace scriva::thumbs
