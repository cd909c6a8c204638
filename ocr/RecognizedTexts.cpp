#include "RecognizedTexts.h"

#include "base/CxSafeFile.h"
#include "config/NativePath.h"

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
    // The program's one saving rule: a full disk or any failed write keeps the older file,
    // a FIFO is written into, a write-protected file is refused.
    CxSafeFile file;
    const QByteArray bytes = text.toUtf8();
    if (file.Open(NativePathString(path)) && file.Write(bytes.constData(), size_t(bytes.size())) &&
        file.Commit())
        return true;
    if (error)
        *error = QString::fromLocal8Bit(file.Error());
    return false;
}

} // namespace scriva::ocr
