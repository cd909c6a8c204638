#pragma once
// The thumbnail column as the document sees it: the browsed files in order,
// the current item, and the moves of the next/previous/first/last commands.
// The main frame hands the document its thumbnail view through this.
// User-interface thread only.

#include <QString>

class IThumbList
{
public:
    static constexpr int SelectPrev = 0x100;
    static constexpr int SelectNext = 0x200;

    virtual ~IThumbList() = default;
    virtual int ItemCount() const = 0;
    virtual int CurrentIndex() const = 0; // the item open in the document, -1 for none
    virtual int IndexOfPath(const QString& path) const = 0;
    // Appends a file just opened or written and paints its thumbnail.
    virtual void AddFile(const QString& path) = 0;
    virtual bool SelectItem(int flags, int index) = 0;
    // Path after / before the selected item; with `move` the selection moves
    // there too. False at either end.
    virtual bool GetNextPath(QString& path, bool move) = 0;
    virtual bool GetPrevPath(QString& path, bool move) = 0;
    virtual void OpenFirst() = 0;
    virtual void OpenLast() = 0;
    virtual bool IsFirst() const = 0;
    virtual bool IsLast() const = 0;
};
