#include "SettingsKeys.h"

#include "AppPaths.h"
#include "CConfigEntry.h"
#include "CConfigFile.h"

namespace scriva::settings {

namespace {
QString SectionOf(Key key)
{
    return QLatin1String(key.section);
}
QString NameOf(Key key)
{
    return QLatin1String(key.name);
}
} // namespace

QString LanguageKeyName(const QString& languageCode, const char* suffix)
{
    return languageCode + QLatin1String(suffix);
}

QString ReadString(const CConfigFile& config, Key key)
{
    return config.GetString(NameOf(key), SectionOf(key));
}

int32_t ReadInt(const CConfigFile& config, Key key)
{
    int32_t value = 0;
    return config.GetInt(NameOf(key), value, SectionOf(key));
}

bool WriteString(CConfigFile& config, Key key, const QString& value)
{
    return config.SetString(NameOf(key), value, SectionOf(key));
}

bool WriteInt(CConfigFile& config, Key key, int32_t value)
{
    return config.SetInt(NameOf(key), value, SectionOf(key));
}

bool TakeNumber(CConfigFile& config, const QString& path, Key key,
                const std::function<int32_t(int32_t)>& next, int32_t& taken, QString* error)
{
    QString before;
    const auto advance = [&next](const QString& value) {
        return QString::number(next(CConfigEntry::ParseInt(value)));
    };
    if (!config.UpdateInFile(path, NameOf(key), SectionOf(key), advance, &before, error))
        return false;
    taken = CConfigEntry::ParseInt(before);
    return true;
}

QList<int> ReadInts(const CConfigFile& config, Key key)
{
    QList<int> values;
    CConfigEntry entry;
    if (!config.GetEntry(NameOf(key), entry, SectionOf(key)))
        return values;
    for (const QString& token : entry.Tokens()) {
        bool ok = false;
        const int value = token.trimmed().toInt(&ok);
        if (ok)
            values << value;
    }
    return values;
}

bool WriteInts(CConfigFile& config, Key key, const QList<int>& values)
{
    QStringList parts;
    for (int value : values)
        parts << QString::number(value);
    return WriteString(config, key, parts.join(QStringLiteral(", ")));
}

QStringList CameraIds(const CConfigFile& config)
{
    CConfigEntry entry;
    if (!config.GetEntry(NameOf(kCameraIds), entry, SectionOf(kCameraIds)))
        return {};
    return entry.Tokens();
}

QString PhotoFolder(const CConfigFile& config)
{
    return resolveDocumentsPath(ReadString(config, kPhotoFolder));
}

bool ReadPageSize(const CConfigFile& config, const QString& name, int& heightMm, int& widthMm)
{
    heightMm = 0;
    widthMm = 0;
    CConfigEntry entry;
    if (name.isEmpty() || !config.GetEntry(name, entry, QLatin1String(section::kPageSize)))
        return false;
    int32_t height = 0;
    int32_t width = 0;
    entry.GetTokenInt(0, height);
    entry.GetTokenInt(1, width);
    heightMm = height;
    widthMm = width;
    return entry.Tokens().size() == 2;
}

} // namespace scriva::settings
