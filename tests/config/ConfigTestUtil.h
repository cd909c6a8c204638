#pragma once
// Helpers shared by the settings tests: UTF-16 file bytes built from text,
// whole-file reads and writes, and temporary XDG folders for one test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>
#include <vector>

namespace configtest {

// The bytes of a settings file holding text, UTF-16 LE; with a byte-order mark
// unless bom is false.
inline QByteArray utf16(const QString& text, bool bom = true)
{
    QString all = bom ? QString(QChar(0xFEFF)) + text : text;
    QByteArray bytes;
    for (QChar c : all) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Points XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR and HOME at folders
// of one temporary directory for the lifetime of the object.
class TempXdg
{
public:
    TempXdg()
    {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "HOME"}) {
            const char* old = std::getenv(name);
            m_saved.push_back({name, old ? std::string(old) : std::string(), old != nullptr});
        }
        set("XDG_CONFIG_HOME", "config");
        set("XDG_CACHE_HOME", "cache");
        set("XDG_RUNTIME_DIR", "runtime");
        QFile::setPermissions(path("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
        set("HOME", "home");
    }
    ~TempXdg()
    {
        for (const Saved& s : m_saved) {
            if (s.present)
                setenv(s.name, s.value.c_str(), 1);
            else
                unsetenv(s.name);
        }
    }
    QString path(const QString& sub) const { return m_dir.path() + u'/' + sub; }
    QString root() const { return m_dir.path(); }

private:
    struct Saved
    {
        const char* name;
        std::string value;
        bool present;
    };
    void set(const char* name, const QString& sub)
    {
        QDir().mkpath(path(sub));
        setenv(name, path(sub).toLocal8Bit().constData(), 1);
    }
    QTemporaryDir m_dir;
    std::vector<Saved> m_saved;
};

} // namespace configtest
