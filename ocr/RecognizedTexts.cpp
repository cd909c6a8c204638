#include "RecognizedTexts.h"

#include <QSaveFile>

namespace scriva::ocr {

bool LookupText(const TextMap& texts, QString& out, const QString& path)
{
    const auto it = texts.find(path);
    if (it == texts.end())
        return false;
    out = it->second;
    return true;
}

bool StoreText(TextMap& texts, const QString& text, const QString& path)
{
    const auto it = texts.find(path);
    if (it == texts.end())
        return false;
    if (text.isEmpty())
        texts.erase(it);
    else
        it->second = text;
    return true;
}

QStringList PathsContaining(const TextMap& texts, const QString& needle)
{
    QStringList paths;
    for (const auto& [path, text] : texts) {
        if (!text.isEmpty() && text.contains(needle, Qt::CaseSensitive))
            paths << path;
    }
    return paths;
}

QString ToPaneText(const QString& stored)
{
    QString pane = stored;
    pane.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return pane;
}

QString FromPaneText(const QString& pane)
{
    QString stored = ToPaneText(pane); // no "\r\r\n" from text that had both
    stored.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return stored;
}

bool WriteTextFile(const QString& path, const QString& text, QString* error)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace scriva::ocr
