#include "IniSection.h"

#include "CConfigFileLock.h"
#include "base/CxSafeFile.h"

#include <QFile>
#include <QUrl>
#include <algorithm>

namespace {

// A file this large is no profile (a device, a mistake); reading it whole would hurt.
constexpr qint64 kMaxBytes = 4 * 1024 * 1024;

struct Line
{
    QString text; // without its line end
    QString end;  // "\n", "\r\n" or "" for a last line without one
};

QList<Line> splitLines(const QString& text)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype nl = text.indexOf(u'\n', pos);
        if (nl < 0) {
            lines.append({text.mid(pos), QString()});
            break;
        }
        const bool crlf = nl > pos && text.at(nl - 1) == u'\r';
        lines.append({text.mid(pos, nl - pos - (crlf ? 1 : 0)),
                      crlf ? QStringLiteral("\r\n") : QStringLiteral("\n")});
        pos = nl + 1;
    }
    return lines;
}

// The section name of a header line, %-escapes decoded; empty when it is no header.
QString headerName(const QString& line)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(u'[') || !t.endsWith(u']'))
        return QString();
    return QUrl::fromPercentEncoding(t.mid(1, t.size() - 2).trimmed().toUtf8());
}

bool isComment(const QString& line)
{
    const QString t = line.trimmed();
    return t.startsWith(u';') || t.startsWith(u'#');
}

// Splits "key = value" at the first '='; false for lines without one.
bool splitKey(const QString& line, QString& key, QString& value)
{
    if (isComment(line))
        return false;
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0)
        return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"')) {
        QString plain;
        for (qsizetype i = 1; i + 1 < value.size(); ++i) {
            if (value.at(i) == u'\\' && i + 2 < value.size())
                ++i;
            plain += value.at(i);
        }
        value = plain;
    }
    return !key.isEmpty();
}

bool readText(const QString& path, QString& text, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes) {
        if (error)
            *error = QStringLiteral("larger than %1 bytes: not a profile").arg(kMaxBytes);
        return false;
    }
    text = QString::fromUtf8(bytes);
    return true;
}

} // namespace

IniSection::IniSection(const QString& path, const QString& section)
    : m_path(path), m_section(section)
{
}

QList<QPair<QString, QString>> IniSection::Read() const
{
    QString text;
    QList<QPair<QString, QString>> out;
    if (!readText(m_path, text, nullptr))
        return out;
    bool inside = false;
    bool seen = false;
    for (const Line& line : splitLines(text)) {
        const QString name = headerName(line.text);
        if (!name.isEmpty()) {
            if (seen && inside)
                break; // only the first section of that name
            inside = name == m_section;
            seen = seen || inside;
            continue;
        }
        QString key, value;
        if (inside && splitKey(line.text, key, value))
            out.append({key, value});
    }
    return out;
}

bool IniSection::Write(const QList<QPair<QString, QString>>& values, const QStringList& removed,
                       QString* error) const
{
    const CConfigFileLock lock(m_path);
    if (lock.Failed()) {
        if (error)
            *error = lock.Error();
        return false;
    }
    QString text;
    if (!readText(m_path, text, error))
        return false;
    QList<Line> lines = splitLines(text);
    const QString eol =
        text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    qsizetype header = -1;
    qsizetype lastKey = -1;
    qsizetype end = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = headerName(lines[i].text);
        if (!name.isEmpty()) {
            if (header >= 0) {
                end = i;
                break;
            }
            if (name == m_section)
                header = lastKey = i;
            continue;
        }
        QString key, value;
        if (header >= 0 && splitKey(lines[i].text, key, value))
            lastKey = i;
    }
    QList<QPair<QString, QString>> pending = values;
    if (header < 0) {
        if (!lines.isEmpty() && lines.last().end.isEmpty())
            lines.last().end = eol;
        lines.append({QStringLiteral("[%1]").arg(m_section), eol});
        lastKey = end = lines.size() - 1;
        ++end;
    } else {
        lines[header].text = QStringLiteral("[%1]").arg(m_section); // its real name
        for (qsizetype i = end - 1; i > header; --i) {
            QString key, value;
            if (!splitKey(lines[i].text, key, value))
                continue;
            const auto set = std::find_if(pending.begin(), pending.end(),
                                          [&](const auto& kv) { return kv.first == key; });
            if (set != pending.end()) {
                lines[i].text = key + u'=' + set->second;
                pending.erase(set);
            } else if (removed.contains(key)) {
                lines.removeAt(i);
                if (lastKey >= i)
                    --lastKey;
            }
        }
    }
    qsizetype at = lastKey + 1;
    if (at > 0 && lines[at - 1].end.isEmpty())
        lines[at - 1].end = eol;
    for (const auto& [key, value] : pending)
        lines.insert(at++, {key + u'=' + value, eol});
    QString out;
    for (const Line& line : lines)
        out += line.text + line.end;
    const QByteArray bytes = out.toUtf8();
    CxSafeFile file;
    if (!file.Open(QFile::encodeName(m_path).toStdString()) ||
        !file.Write(bytes.constData(), size_t(bytes.size())) || !file.Commit()) {
        if (error)
            *error = QString::fromLocal8Bit(file.Error().c_str());
        return false;
    }
    return true;
}
