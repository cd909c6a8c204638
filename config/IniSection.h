#pragma once
// IniSection: reads and rewrites the keys of one section of a hand-edited INI file
// (profile.ini) without touching anything else: comments, blank lines, other sections and
// the order of lines stay as they are, and the section keeps its real name in its header.
// A header written with %-escapes ("[Recent%20File%20List]") is taken as the same section
// and rewritten plainly. Saves go through a temporary file beside it under the file's lock.
// Any thread; one object per use.

#include <QList>
#include <QPair>
#include <QString>

class IniSection
{
public:
    IniSection(const QString& path, const QString& section);

    // The section's key/value pairs in file order (the first section of that name);
    // quoted values lose their quotes. Empty when the file or the section is missing.
    QList<QPair<QString, QString>> Read() const;
    // Sets each key of `values` (in place where it is, else after the section's last key),
    // removes the keys in `removed`, and creates the section at the end when it is missing.
    bool Write(const QList<QPair<QString, QString>>& values, const QStringList& removed,
               QString* error = nullptr) const;

private:
    QString m_path;
    QString m_section;
};
