#pragma once
// One browsable image file of the thumbnail column: its full path, the label
// shown under its thumbnail, and the skip flag (an item with it set gets no
// thumbnail and is left alone by Clear all; nothing in the program sets it).
// The id is unique within one list, so results computed on a worker from a
// snapshot can find their row again after rows came or went. A plain value.

#include <QString>
#include <QtGlobal>

struct ThumbItem
{
    QString path; // full path with the file's real case
    QString name; // label: the file name (lower-cased when found by a folder scan)
    bool skip = false;
    quint64 id = 0; // given by the list that holds the item

    bool operator==(const ThumbItem& o) const
    {
        return path == o.path && name == o.name && skip == o.skip;
    }
};
