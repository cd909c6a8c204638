#pragma once
// The folder scan of the thumbnail column: which files count as images (by the
// end of the name, CxImage::FormatFromNameEnd) and the order they are listed
// in. Pure functions, any thread.

#include "ThumbItem.h"

#include <QString>
#include <vector>

namespace scriva::thumbs {

// The display order: by folder + lower-cased name (code unit by code unit, so
// "p10" comes before "p9"), names that differ only in case by their real path.
bool ScanOrderLess(const ThumbItem& a, const ThumbItem& b);

// Every regular file of the folder (hidden ones too, links to regular files
// too; no sub-folders, pipes or devices) whose name says it is an image, in
// display order. Paths keep the real name; labels are the
// lower-cased name. An unreadable or missing folder gives an empty list.
std::vector<ThumbItem> ScanImageFolder(const QString& folder);

// An item for a path given by the program itself (a photo just taken, a saved
// image): label = the part after the last '/' (or '\'), case kept. The name is
// empty when the path has no separator.
ThumbItem ItemForPath(const QString& path);

} // namespace scriva::thumbs
