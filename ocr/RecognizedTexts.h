#pragma once
// The rules for the recognised texts kept by the document (full image path ->
// text, in code-unit order of the paths): looking a text up, storing an edited
// text back, searching the texts, and writing a text file. Texts are kept
// with "\r\n" line breaks; the text pane shows "\n". Pure functions; the map's
// owner decides the thread (the user-interface thread in the program).

#include <QString>
#include <QStringList>
#include <map>

namespace scriva::ocr {

using TextMap = std::map<QString, QString>;

// True and the text when an entry exists for the path.
bool LookupText(const TextMap& texts, QString& out, const QString& path);
// Only an existing entry changes: an empty text removes it, another replaces it.
// True when the path had an entry.
bool StoreText(TextMap& texts, const QString& text, const QString& path);
// Paths whose text is not empty and contains `needle` (case-sensitive), in map order.
QStringList PathsContaining(const TextMap& texts, const QString& needle);

// "\r\n" <-> "\n" between stored texts and the pane.
QString ToPaneText(const QString& stored);
QString FromPaneText(const QString& pane);

// Writes the text as UTF-8 bytes exactly (no byte-order mark, no terminator,
// line breaks as they are), replacing the file atomically (through CxSafeFile:
// a FIFO is written into, a write-protected file kept). The same bytes for
// every extension. False with the system's reason in *error, the older file
// unchanged.
bool WriteTextFile(const QString& path, const QString& text, QString* error = nullptr);

} // namespace scriva::ocr
