#pragma once
// The picture of one cell of the thumbnail column: white, the thumbnail at the
// place FitRect gives it, a light grey frame round the whole cell. Any thread
// (paints on its own QImage only).

#include <QImage>
#include <QSize>

namespace scriva::thumbs {

// `picture` is expected at FitRect(picture's shape, cell).size(); a picture of
// another size is scaled into that rectangle.
QImage ComposeCell(const QImage& picture, QSize cell);

// The cell of an item whose thumbnail is not painted (yet, or ever).
QImage BlankCell(QSize cell);

} // namespace scriva::thumbs
