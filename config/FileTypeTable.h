#pragma once
// The program's table of file types for opening and saving: one row per type
// with its code (the image object's format ids, -1 for "all supported", 21 for
// PDF), whether it can be opened and saved, and the description and patterns
// shown in the file dialogs (a picture format's patterns are its listed
// extensions, from base/ImageExtensions.h). Pure data and queries; any thread.

#include <QString>
#include <QStringList>
#include <array>

namespace scriva {

struct FileTypeRow
{
    int type;
    bool canOpen;
    bool canSave;
    const char* description;
    const char* pattern; // patterns separated by ";"; null: the picture format's extensions
};

class FileTypeTable
{
public:
    static constexpr int AllSupported = -1;
    static constexpr int Bmp = 1;
    static constexpr int Jpeg = 3;
    static constexpr int Png = 4;
    static constexpr int Tiff = 6;
    static constexpr int Pdf = 21;
    static constexpr int RowCount = 6;

    static const std::array<FileTypeRow, RowCount>& Rows();
    // The row's usable-when-saving flag; false for a code not in the table.
    static bool CanSave(int type);
    static bool CanOpen(int type);
    // One name filter per row usable in that direction, in table order:
    // description + " (" + patterns separated by spaces + ")".
    static QStringList NameFilters(bool open);
    // 1-based position of the type among the usable rows; 1 when absent.
    static int FilterPosition(bool open, int type);
    // The type code of the usable row at a 1-based position; 0 when outside.
    static int TypeAtPosition(bool open, int position);
    // Three characters of the type's pattern from its third ("jpg" for
    // "*.jpg;*.jpeg"); empty for a type not in the table.
    static QString DefaultExtension(int type);
};

} // namespace scriva
