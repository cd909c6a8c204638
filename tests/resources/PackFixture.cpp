#include "PackFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QResource>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {
struct Registration
{
    QString path;
    QString root;
};

std::vector<Registration>& registrations()
{
    static std::vector<Registration> list;
    return list;
}

// Unregisters every pack before the process's static objects go, so the
// resource library's own bookkeeping is released while it still exists.
class PackEnvironment : public ::testing::Environment
{
public:
    void TearDown() override
    {
        for (const Registration& r : registrations())
            QResource::unregisterResource(r.path, r.root);
        registrations().clear();
    }
};

[[maybe_unused]] ::testing::Environment* const s_packEnvironment =
    ::testing::AddGlobalTestEnvironment(new PackEnvironment);

QString dataFolder()
{
    const QByteArray env = qgetenv("SCRIVA_DATA_DIR");
    return env.isEmpty() ? QDir::currentPath() : QString::fromLocal8Bit(env);
}
} // namespace

const QStringList& packStems()
{
    static const QStringList stems = {"en",  "ch", "cht", "pg",  "jp",  "Fre",
                                      "Ger", "Ko", "Spa", "Bas", "Cata"};
    return stems;
}

const PackInfo& openPack(const QString& stem)
{
    static std::map<QString, PackInfo> packs;
    auto it = packs.find(stem);
    if (it != packs.end())
        return it->second;
    PackInfo info;
    info.stem = stem;
    info.root = QStringLiteral("/test-pack-") + stem;
    const QString path =
        dataFolder() + QStringLiteral("/resDll/") + stem + QStringLiteral("ResDll.rcc");
    info.registered = QResource::registerResource(path, info.root);
    if (info.registered)
        registrations().push_back({path, info.root});
    return packs.emplace(stem, info).first->second;
}

QByteArray packFile(const PackInfo& pack, const QString& file)
{
    QFile f(QLatin1Char(':') + pack.root + QLatin1Char('/') + file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QJsonValue packJson(const PackInfo& pack, const QString& file)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(packFile(pack, file), &error);
    if (error.error != QJsonParseError::NoError)
        return QJsonValue(QJsonValue::Undefined);
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
}

std::map<int, QString> packStrings(const PackInfo& pack)
{
    std::map<int, QString> out;
    const QJsonObject object = packJson(pack, QStringLiteral("strings.json")).toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool ok = false;
        const int id = it.key().toInt(&ok);
        if (ok && it.value().isString())
            out[id] = it.value().toString();
    }
    return out;
}
