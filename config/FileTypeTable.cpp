#include "FileTypeTable.h"

namespace scriva {

namespace {

constexpr std::array<FileTypeRow, FileTypeTable::RowCount> kRows = {{
    {FileTypeTable::AllSupported, true, true, "Supported files",
     "*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.ico;*.tif;*.tiff;*.tga;*.pcx;*.wbmp;*.wmf;*.emf;*.j2k;*.jp2;"
     "*.jbg;*.j2c;*.jpc;*.pgx;*.pnm;*.pgm;*.ppm;*.ras;*.mng;*.jng;*.ska;*.nef;*.crw;*.cr2;*.mrw;"
     "*.raf;*.erf;*.3fr;*.dcr;*.raw;*.dng;*.pef;*.x3f;*.arw;*.sr2;*.mef;*.orf"},
    {FileTypeTable::Bmp, true, true, "BMP files", "*.bmp"},
    {FileTypeTable::Jpeg, true, true, "JPG files", "*.jpg;*.jpeg"},
    {FileTypeTable::Png, true, true, "PNG files", "*.png"},
    {FileTypeTable::Tiff, true, true, "TIF files", "*.tif;*.tiff"},
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
        const QString patterns =
            QString::fromLatin1(row.pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QString::fromLatin1(row.description) + QStringLiteral(" (") + patterns +
                       QLatin1Char(')');
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
    return QString::fromLatin1(row->pattern).mid(2, 3);
}

} // namespace scriva
