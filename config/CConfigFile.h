#pragma once
// The settings store: a sectioned UTF-16 LE text file held in memory as sorted
// sections of sorted keys. Safe to call from any thread (one internal mutex);
// Save replaces the file atomically. Argument order follows the store's
// historic interface: key first, then section.

#include "CConfigEntry.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <mutex>

class CConfigFile
{
public:
    CConfigFile() = default;
    virtual ~CConfigFile() = default;
    CConfigFile(const CConfigFile&) = delete;
    CConfigFile& operator=(const CConfigFile&) = delete;

    bool Load(const QString& path);
    bool Save(const QString& path) const;

    QString GetString(const QString& key, const QString& section) const;
    int32_t GetInt(const QString& key, int32_t& out, const QString& section) const;
    uint32_t GetInt(const QString& key, uint32_t& out, const QString& section) const;
    bool GetEntry(const QString& key, CConfigEntry& out, const QString& section) const;

    // Refuses (returns false, store unchanged) a value holding ';', CR or LF,
    // which would break the file format.
    bool SetString(const QString& key, const QString& value, const QString& section);
    bool SetInt(const QString& key, int32_t value, const QString& section);
    bool SetInt(const QString& key, uint32_t value, const QString& section);
    bool AddSection(const QString& section);

    // Snapshot of the whole store in map order (for "config dump" and tests).
    using KeyTable = std::map<QString, CConfigEntry>;
    std::map<QString, KeyTable> Sections() const;

private:
    mutable std::mutex m_mutex;
    std::map<QString, KeyTable> m_sections;
};
