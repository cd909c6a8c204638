#include "FileTypeTable.h"

#include "base/ImageExtensions.h"

namespace scriva {

namespace {

constexpr std::array<FileTypeRow, FileTypeTable::RowCount> kRows = {{
    {FileTypeTable::AllSupported, true, true, "Supported files",
     "*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.ico;*.tif;*.tiff;*.tga;*.pcx;*.wbmp;*.wmf;*.emf;*.j2k;*.jp2;"
     "*.jbg;*.j2c;*.jpc;*.pgx;*.pnm;*.pgm;*.ppm;*.ras;*.mng;*.jng;*.ska;*.nef;*.crw;*.cr2;*.mrw;"
     "*.raf;*.erf;*.3fr;*.dcr;*.raw;*.dng;*.pef;*.x3f;*.arw;*.sr2;*.mef;*.orf"},
    {FileTypeTable::Bmp, true, true, "BMP files", nullptr},
    {FileTypeTable::Jpeg, true, true, "JPG files", nullptr},
    {FileTypeTable::Png, true, true, "PNG files", nullptr},
    {FileTypeTable::Tiff, true, true, "TIF files", nullptr},
    {FileTypeTable::Pdf, false, true, "PDF files", "*.pdf"},
}};

const FileTypeRow* find(int type)
{
    for (const FileTypeRow& row : kRows) {
        if (row.type == type)
            return &row;
    }
    return nullptr;
}

bool usable(const FileTypeRow& row, bool open)
{
    return open ? row.canOpen : row.canSave;
}

// The row's patterns separated by ";": its own, or those of the listed
// extensions of its picture format ("*.jpg;*.jpeg").
QString patterns(const FileTypeRow& row)
{
    if (row.pattern)
        return QString::fromLatin1(row.pattern);
    size_t count = 0;
    const ext::Extension* table = ext::Extensions(count);
    QStringList names;
    for (size_t i = 0; i < count; ++i) {
        if (table[i].listed && int(table[i].format) == row.type)
            names << QStringLiteral("*.") + QLatin1String(table[i].name);
    }
    return names.join(QLatin1Char(';'));
}

} // namespace

const std::array<FileTypeRow, FileTypeTable::RowCount>& FileTypeTable::Rows()
{
    return kRows;
}

bool FileTypeTable::CanSave(int type)
{
    const FileTypeRow* row = find(type);
    return row && row->canSave;
}

bool FileTypeTable::CanOpen(int type)
{
    const FileTypeRow* row = find(type);
    return row && row->canOpen;
}

QStringList FileTypeTable::NameFilters(bool open)
{
    QStringList filters;
    for (const FileTypeRow& row : kRows) {
        if (!usable(row, open))
            continue;
        filters << QString::fromLatin1(row.description) + QStringLiteral(" (") +
                       patterns(row).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

int FileTypeTable::FilterPosition(bool open, int type)
{
    int position = 0;
    for (const FileTypeRow& row : kRows) {
        if (!usable(row, open))
            continue;
        ++position;
        if (row.type == type)
            return position;
    }
    return 1;
}

int FileTypeTable::TypeAtPosition(bool open, int position)
{
    int at = 0;
    for (const FileTypeRow& row : kRows) {
        if (usable(row, open) && ++at == position)
            return row.type;
    }
    return 0;
}

QString FileTypeTable::DefaultExtension(int type)
{
    const FileTypeRow* row = find(type);
    if (!row)
        return {};
    return patterns(*row).mid(2, 3);
}

} // namespace scriva
