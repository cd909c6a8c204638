#pragma once
// The settings store: a sectioned UTF-16 LE text file held in memory as sorted
// sections of sorted keys. Safe to call from any thread (one internal mutex);
// Save replaces the file atomically. Argument order follows the store's
// historic interface: key first, then section. Emits nothing.

#include "CConfigEntry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <utility>

class CConfigFile
{
public:
    CConfigFile() = default;
    virtual ~CConfigFile() = default;
    CConfigFile(const CConfigFile&) = delete;
    CConfigFile& operator=(const CConfigFile&) = delete;

    // Adds the file's sections and keys to the store; keys already held win.
    // False (store unchanged, reason in *error) when the file cannot be read.
    bool Load(const QString& path, QString* error = nullptr);
    // The same for the bytes of a file already in memory. origin names them in
    // warnings. Always succeeds.
    void LoadFromBytes(const QByteArray& bytes, const QString& origin = QString());

    // Writes every section and key through a temporary file in the same folder
    // that then replaces path: on any failure the old file stays as it was. A
    // device or pipe is written into, a folder refused; a file that is not in the
    // store's format is never overwritten. Callers that read, change and write a
    // file hold a CConfigFileLock on it meanwhile.
    bool Save(const QString& path, QString* error = nullptr) const;
    // Under the file's lock: re-reads path as it is now, puts in the keys this
    // store changed (SetString/SetInt) since it was filled, and saves that, so
    // changes other programs made to other keys meanwhile stay. Forgets the
    // changes it wrote. True without writing when nothing changed.
    bool SaveChanges(const QString& path, QString* error = nullptr);
    bool HasChanges() const;
    // Changes one key in the file at path and in this store under the file's lock, so that
    // programs sharing the file each see the others' changes (a counter never hands out a
    // number twice nor goes back): `next` gets the value the file holds now (this store's
    // value when the file lacks the key or this store changed it and has not saved that) and
    // gives the value to store; *before receives the value handed to it. Only that key is
    // written; other changes of this store stay unsaved. False with the reason, file and
    // store unchanged, when the file cannot be locked, read or written.
    bool UpdateInFile(const QString& path, const QString& key, const QString& section,
                      const std::function<QString(const QString&)>& next, QString* before,
                      QString* error = nullptr);
    // Why path must not be overwritten by Save (it exists and its first bytes are
    // not the store's byte-order mark); empty when it may.
    static QString FormatProblem(const QString& path);
    // True when bytes (the start of a file) are empty or open with the mark.
    static bool IsStoreFormat(const QByteArray& start);
    // The bytes Save writes.
    QByteArray ToBytes() const;

    QString GetString(const QString& key, const QString& section) const;
    int32_t GetInt(const QString& key, int32_t& out, const QString& section) const;
    uint32_t GetInt(const QString& key, uint32_t& out, const QString& section) const;
    bool GetEntry(const QString& key, CConfigEntry& out, const QString& section) const;

    // Refuses (returns false, store unchanged) a value holding ';', CR or LF,
    // and a key or section name that would not read back as itself.
    bool SetString(const QString& key, const QString& value, const QString& section);
    bool SetInt(const QString& key, int32_t value, const QString& section);
    bool SetInt(const QString& key, uint32_t value, const QString& section);
    // False when a section of that name exists already or the name is unusable.
    bool AddSection(const QString& section);

    // Why SetString would refuse these arguments; empty when it would accept them.
    static QString SetProblem(const QString& key, const QString& value, const QString& section);

    // Snapshot of the whole store in map order (for "config dump" and tests).
    using KeyTable = std::map<QString, CConfigEntry>;
    std::map<QString, KeyTable> Sections() const;

private:
    const CConfigEntry* findLocked(const QString& key, const QString& section) const;

    mutable std::mutex m_mutex;
    std::map<QString, KeyTable> m_sections;
    std::set<std::pair<QString, QString>> m_changed; // (section, key) set since filled
};
