#include "app/shell/LanguagePack.h"

#include "config/Languages.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QResource>

namespace {

namespace languages = scriva::languages;

const QString kPackRoot = QStringLiteral("/lang");
const QString kEnglishRoot = QStringLiteral("/lang-en");

LanguagePack* s_active = nullptr;

QJsonValue readJson(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QJsonValue(QJsonValue::Undefined);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        return QJsonValue(QJsonValue::Undefined);
    if (doc.isArray())
        return doc.array();
    return doc.object();
}

// strings.json: an object from decimal ids to texts; other entries are skipped.
QHash<int, QString> readStrings(const QString& root)
{
    QHash<int, QString> strings;
    const QJsonValue table = readJson(QLatin1Char(':') + root + QStringLiteral("/strings.json"));
    const QJsonObject object = table.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool ok = false;
        const int id = it.key().toInt(&ok);
        if (ok && it.value().isString())
            strings.insert(id, it.value().toString());
    }
    return strings;
}

} // namespace

std::unique_ptr<QTranslator> LanguagePack::QtTranslator(int index)
{
    if (!languages::IsValidIndex(index) || !*languages::Info(index).qtLocale)
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    const QString name = QStringLiteral("qtbase_") + QLatin1String(languages::Info(index).qtLocale);
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    return translator;
}

LanguagePack::~LanguagePack()
{
    Unload();
}

bool LanguagePack::Load(const QString& dataFolder, int index)
{
    Unload();
    if (!languages::IsValidIndex(index))
        return false;
    QString folder = dataFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString packPath = folder + languages::PackFile(index);
    if (!QResource::registerResource(packPath, kPackRoot))
        return false;
    QHash<int, QString> strings = readStrings(kPackRoot);
    if (strings.isEmpty()) {
        QResource::unregisterResource(packPath, kPackRoot);
        return false;
    }
    m_packPath = packPath;
    m_strings = std::move(strings);
    const QString englishPath = folder + languages::PackFile(languages::kEnglish);
    if (QResource::registerResource(englishPath, kEnglishRoot)) {
        m_englishPath = englishPath;
        m_englishStrings = readStrings(kEnglishRoot);
    }
    m_index = index;
    return true;
}

void LanguagePack::Unload()
{
    if (!m_packPath.isEmpty())
        QResource::unregisterResource(m_packPath, kPackRoot);
    if (!m_englishPath.isEmpty())
        QResource::unregisterResource(m_englishPath, kEnglishRoot);
    m_packPath.clear();
    m_englishPath.clear();
    m_strings.clear();
    m_englishStrings.clear();
    m_index = 0;
    if (s_active == this)
        s_active = nullptr;
}

QString LanguagePack::String(int id) const
{
    auto it = m_strings.constFind(id);
    if (it != m_strings.constEnd())
        return *it;
    return m_englishStrings.value(id);
}

bool LanguagePack::HasString(int id) const
{
    return m_strings.contains(id) || m_englishStrings.contains(id);
}

QString LanguagePack::FilePath(const QString& name) const
{
    if (!IsLoaded())
        return {};
    QString own = QLatin1Char(':') + kPackRoot + QLatin1Char('/') + name;
    if (QFile::exists(own))
        return own;
    if (m_englishPath.isEmpty())
        return {};
    const QString english = QLatin1Char(':') + kEnglishRoot + QLatin1Char('/') + name;
    return QFile::exists(english) ? english : QString();
}

QJsonValue LanguagePack::jsonFile(const QString& name) const
{
    const QString path = FilePath(name);
    if (path.isEmpty())
        return QJsonValue(QJsonValue::Undefined);
    return readJson(path);
}

QJsonValue LanguagePack::Menu(int id) const
{
    return jsonFile(QStringLiteral("menu%1.json").arg(id));
}

QJsonValue LanguagePack::Toolbar(int id) const
{
    return jsonFile(QStringLiteral("toolbar%1.json").arg(id));
}

QPixmap LanguagePack::Bitmap(int id) const
{
    const QString path = FilePath(QStringLiteral("bitmap%1.bmp").arg(id));
    return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QCursor LanguagePack::Cursor(int id) const
{
    const QString path = FilePath(QStringLiteral("cursor%1.png").arg(id));
    const QPixmap pixmap = path.isEmpty() ? QPixmap() : QPixmap(path);
    if (pixmap.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(pixmap, pixmap.width() / 2, pixmap.height() / 2);
}

LanguagePack* LanguagePack::Active()
{
    return s_active;
}

void LanguagePack::SetActive(LanguagePack* pack)
{
    s_active = pack;
}

QString LanguagePack::Text(int id)
{
    return s_active ? s_active->String(id) : QString();
}
