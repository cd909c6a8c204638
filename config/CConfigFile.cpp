#include "CConfigFile.h"

#include "CConfigFileLock.h"
#include "base/CxSafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringView>
#include <QtGlobal>

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;
// A settings file is a few kilobytes; anything this large is not one, and
// reading it whole (a device, a huge file) would exhaust memory.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

QStringView trimmed(QStringView text, QStringView chars)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && chars.contains(text.at(begin)))
        ++begin;
    while (end > begin && chars.contains(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

const QStringView kLineBlanks = u" \t\r\n";
const QStringView kNameBlanks = u" \t";

// What one line of the file holds: a header, a key line or nothing of use.
struct ParsedLine
{
    enum Kind { Ignored, Header, Key } kind = Ignored;
    QString name; // section name of a header
    QString key;
    QString value;
    QString comment;
};

ParsedLine parseLine(QStringView line)
{
    ParsedLine out;
    QStringView body = line;
    const qsizetype semicolon = line.indexOf(u';');
    if (semicolon >= 0) {
        out.comment = line.mid(semicolon).toString();
        body = line.left(semicolon);
    } else {
        out.comment = QStringLiteral(";");
    }
    body = trimmed(body, kLineBlanks);
    if (body.size() >= 2 && body.startsWith(u'[') && body.endsWith(u']')) {
        const QStringView name = trimmed(body.mid(1, body.size() - 2), kNameBlanks);
        if (!name.isEmpty()) {
            out.kind = ParsedLine::Header;
            out.name = name.toString();
        }
        return out;
    }
    const qsizetype equals = body.indexOf(u'=');
    if (equals < 0)
        return out;
    out.kind = ParsedLine::Key;
    out.key = trimmed(body.left(equals), kNameBlanks).toString();
    out.value = trimmed(body.mid(equals + 1), kNameBlanks).toString();
    return out;
}

QString decodeUtf16Le(const QByteArray& bytes)
{
    const qsizetype units = bytes.size() / 2; // a trailing odd byte is ignored
    QString text(units, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const uchar*>(bytes.constData());
    for (qsizetype i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8));
    return text;
}

QByteArray encodeUtf16Le(const QString& text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        bytes[2 * i] = static_cast<char>(unit & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(unit >> 8);
    }
    return bytes;
}

bool holdsLineBreak(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

bool CConfigFile::Load(const QString& path, QString* error)
{
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QString tooLarge =
        QStringLiteral("larger than %1 bytes: not a settings file").arg(kMaxFileBytes);
    // A pipe without a writer would block the open for ever, a device never ends.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(info.isDir() ? QStringLiteral("is a folder")
                                 : QStringLiteral("not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    if (file.size() > kMaxFileBytes)
        return fail(tooLarge);
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (bytes.size() > kMaxFileBytes)
        return fail(tooLarge);
    LoadFromBytes(bytes, path);
    return true;
}

void CConfigFile::LoadFromBytes(const QByteArray& bytes, const QString& origin)
{
    const QString text = decodeUtf16Le(bytes);
    if (text.isEmpty())
        return;
    // The first unit is taken as the byte-order mark whatever it is.
    if (text.at(0) != QChar(kByteOrderMark))
        qWarning("settings file %s does not start with a byte-order mark; its first character "
                 "is skipped",
                 qUtf8Printable(origin.isEmpty() ? QStringLiteral("(in memory)") : origin));
    std::lock_guard<std::mutex> lock(m_mutex);
    KeyTable* current = nullptr;
    qsizetype pos = 1;
    while (pos < text.size()) {
        const qsizetype cr = text.indexOf(u'\r', pos);
        if (cr < 0)
            break; // text after the last CR is not a complete line
        const ParsedLine line = parseLine(QStringView(text).mid(pos, cr - pos));
        pos = cr + 2; // the unit after CR is the LF
        if (line.kind == ParsedLine::Header) {
            current = &m_sections[line.name];
        } else if (line.kind == ParsedLine::Key && current && current->count(line.key) == 0) {
            (*current)[line.key].Set(line.value, line.comment);
        }
    }
}

QByteArray CConfigFile::ToBytes() const
{
    const QString crlf = QStringLiteral("\r\n");
    QString text(1, QChar(kByteOrderMark));
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [name, table] : m_sections) {
        text += u'[' + name + u']' + crlf;
        for (const auto& [key, entry] : table)
            text += key + QStringLiteral(" = ") + entry.Value() + entry.Comment() + crlf;
        text += crlf;
    }
    return encodeUtf16Le(text);
}

bool CConfigFile::IsStoreFormat(const QByteArray& start)
{
    return start.isEmpty() || (start.size() >= 2 && uchar(start[0]) == (kByteOrderMark & 0xFF) &&
                               uchar(start[1]) == (kByteOrderMark >> 8));
}

QString CConfigFile::FormatProblem(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString(); // unreadable: the save will say why
    if (IsStoreFormat(file.read(2)))
        return QString();
    return QStringLiteral("it is not a settings file in this program's format (UTF-16 text with "
                          "a byte-order mark)");
}

bool CConfigFile::Save(const QString& path, QString* error) const
{
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QString problem = FormatProblem(path);
    if (!problem.isEmpty())
        return fail(problem + QStringLiteral("; it was left as it is"));
    const QByteArray bytes = ToBytes();
    CxSafeFile file;
    if (!file.Open(QFile::encodeName(path).toStdString()))
        return fail(QString::fromLocal8Bit(file.Error().c_str()));
    if (!file.Write(bytes.constData(), size_t(bytes.size())) || !file.Commit())
        return fail(QString::fromLocal8Bit(file.Error().c_str()));
    return true;
}

bool CConfigFile::SaveChanges(const QString& path, QString* error)
{
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    std::set<std::pair<QString, QString>> changed;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        changed = m_changed;
    }
    if (changed.empty())
        return true;
    const CConfigFileLock lock(path);
    if (lock.Failed())
        return fail(lock.Error());
    CConfigFile current;
    QString problem = FormatProblem(path);
    if (!problem.isEmpty())
        return fail(problem + QStringLiteral("; it was left as it is"));
    if (QFileInfo::exists(path) && !current.Load(path, &problem))
        return fail(problem);
    for (const auto& [section, key] : changed) {
        CConfigEntry entry;
        if (GetEntry(key, entry, section))
            current.SetString(key, entry.Value(), section);
    }
    if (!current.Save(path, error))
        return false;
    std::lock_guard<std::mutex> guard(m_mutex);
    for (const auto& done : changed)
        m_changed.erase(done);
    return true;
}

bool CConfigFile::UpdateInFile(const QString& path, const QString& key, const QString& section,
                               const std::function<QString(const QString&)>& next, QString* before,
                               QString* error)
{
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const CConfigFileLock lock(path);
    if (lock.Failed())
        return fail(lock.Error());
    QString problem = FormatProblem(path);
    if (!problem.isEmpty())
        return fail(problem + QStringLiteral("; it was left as it is"));
    CConfigFile current;
    if (QFileInfo::exists(path) && !current.Load(path, &problem))
        return fail(problem);
    bool pending = false;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        pending = m_changed.count({section, key}) != 0;
    }
    CConfigEntry onFile;
    const QString value = !pending && current.GetEntry(key, onFile, section)
                              ? onFile.Value()
                              : GetString(key, section);
    const QString updated = next(value);
    problem = SetProblem(key, updated, section);
    if (!problem.isEmpty())
        return fail(problem);
    current.SetString(key, updated, section);
    if (!current.Save(path, error))
        return false;
    std::lock_guard<std::mutex> guard(m_mutex);
    KeyTable& table = m_sections[section];
    const auto it = table.find(key);
    const QString comment = it == table.end() ? QString() : it->second.Comment();
    table[key].Set(updated, comment);
    m_changed.erase({section, key}); // on disk now
    if (before)
        *before = value;
    return true;
}

bool CConfigFile::HasChanges() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_changed.empty();
}

const CConfigEntry* CConfigFile::findLocked(const QString& key, const QString& section) const
{
    const auto table = m_sections.find(section);
    if (table == m_sections.end())
        return nullptr;
    const auto entry = table->second.find(key);
    return entry == table->second.end() ? nullptr : &entry->second;
}

QString CConfigFile::GetString(const QString& key, const QString& section) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const CConfigEntry* entry = findLocked(key, section);
    return entry ? entry->Value() : QString();
}

int32_t CConfigFile::GetInt(const QString& key, int32_t& out, const QString& section) const
{
    out = CConfigEntry::ParseInt(GetString(key, section));
    return out;
}

uint32_t CConfigFile::GetInt(const QString& key, uint32_t& out, const QString& section) const
{
    out = static_cast<uint32_t>(CConfigEntry::ParseInt(GetString(key, section)));
    return out;
}

bool CConfigFile::GetEntry(const QString& key, CConfigEntry& out, const QString& section) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const CConfigEntry* entry = findLocked(key, section);
    if (!entry)
        return false;
    out.Set(entry->Value(), entry->Comment());
    return true;
}

QString CConfigFile::SetProblem(const QString& key, const QString& value, const QString& section)
{
    if (value.contains(u';') || holdsLineBreak(value))
        return QStringLiteral("a value cannot hold ';', CR or LF");
    const ParsedLine header = parseLine(u'[' + section + u']');
    if (holdsLineBreak(section) || header.kind != ParsedLine::Header || header.name != section)
        return QStringLiteral("unusable section name '%1'").arg(section);
    // The key line as Save writes it must read back as this key and value.
    const ParsedLine line = parseLine(key + QStringLiteral(" = ") + value);
    if (holdsLineBreak(key) || line.kind != ParsedLine::Key || line.key != key ||
        line.value != trimmed(value, kNameBlanks))
        return QStringLiteral("unusable key name '%1'").arg(key);
    return QString();
}

bool CConfigFile::SetString(const QString& key, const QString& value, const QString& section)
{
    if (!SetProblem(key, value, section).isEmpty())
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    KeyTable& table = m_sections[section];
    const auto it = table.find(key);
    const QString comment = it == table.end() ? QString() : it->second.Comment();
    if (it == table.end() || it->second.Value() != value)
        m_changed.emplace(section, key);
    table[key].Set(value, comment);
    return true;
}

bool CConfigFile::SetInt(const QString& key, int32_t value, const QString& section)
{
    return SetString(key, QString::number(value), section);
}

bool CConfigFile::SetInt(const QString& key, uint32_t value, const QString& section)
{
    // Stored as the signed number, as every reader parses it signed.
    return SetString(key, QString::number(static_cast<int32_t>(value)), section);
}

bool CConfigFile::AddSection(const QString& section)
{
    if (!SetProblem(QStringLiteral("k"), QString(), section).isEmpty())
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sections.emplace(section, KeyTable()).second;
}

std::map<QString, CConfigFile::KeyTable> CConfigFile::Sections() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sections;
}
