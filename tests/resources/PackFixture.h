// Opens the built language packs of the data folder for the pack tests:
// registers each .rcc under its own resource root and reads its JSON files.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <map>

struct PackInfo
{
    QString stem; // "en", "Fre", ...
    QString root; // resource root the pack is registered under
    bool registered = false;
};

// The eleven pack file stems in language-table order.
const QStringList& packStems();

// Registers (once per process) and returns the pack with this stem.
const PackInfo& openPack(const QString& stem);

// Reads a JSON file of a registered pack; an invalid value when missing or broken.
QJsonValue packJson(const PackInfo& pack, const QString& file);

// strings.json as id -> text.
std::map<int, QString> packStrings(const PackInfo& pack);

// Raw bytes of a file in a pack; empty when missing.
QByteArray packFile(const PackInfo& pack, const QString& file);

// Readable test parameter names in gtest output.
#include <ostream>
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << s.toStdString();
}
