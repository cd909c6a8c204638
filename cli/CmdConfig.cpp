// scriva-cli config: reads and changes settings files.
//   config dump FILE                          the whole file as JSON
//   config get [--file FILE] SECTION KEY      one value
//   config set [--file FILE] SECTION KEY VALUE
// Without --file, get and set use the user's settings (seeded from the shipped
// file on first use, with keys missing there filled from the shipped file).

#include "CliCommand.h"

#include "config/AppPaths.h"
#include "config/CConfigFile.h"

#include <QFileInfo>
#include <cstdio>

using namespace scriva::cli;

namespace {

QString jsonString(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool pairedHigh =
            QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const bool pairedLow =
            QChar::isLowSurrogate(c) && i > 0 && text.at(i - 1).isHighSurrogate();
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += QChar(c);
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\r') {
            out += QStringLiteral("\\r");
        } else if (c == u'\t') {
            out += QStringLiteral("\\t");
        } else if (c < 0x20 || (QChar::isSurrogate(c) && !pairedHigh && !pairedLow)) {
            // Control characters and unpaired surrogates stay exact as escapes.
            out += QStringLiteral("\\u%1").arg(static_cast<unsigned>(c), 4, 16, QLatin1Char('0'));
        } else {
            out += QChar(c);
        }
    }
    return out + u'"';
}

QString jsonEntry(const QString& key, const CConfigEntry& entry)
{
    QStringList tokens;
    for (const QString& token : entry.Tokens())
        tokens << jsonString(token);
    return QStringLiteral("        {\"key\": %1, \"value\": %2, \"comment\": %3, \"tokens\": [%4]}")
        .arg(jsonString(key), jsonString(entry.Value()), jsonString(entry.Comment()),
             tokens.join(QStringLiteral(", ")));
}

QString jsonStore(const CConfigFile& config)
{
    QStringList sections;
    for (const auto& [name, table] : config.Sections()) {
        QStringList keys;
        for (const auto& [key, entry] : table)
            keys << jsonEntry(key, entry);
        const QString body =
            keys.isEmpty() ? QString() : u'\n' + keys.join(QStringLiteral(",\n")) + u'\n';
        sections << QStringLiteral("    {\"section\": %1, \"keys\": [%2%3]}")
                        .arg(jsonString(name), body,
                             keys.isEmpty() ? QString() : QStringLiteral("    "));
    }
    return QStringLiteral("{\n  \"sections\": [\n%1\n  ]\n}\n")
        .arg(sections.join(QStringLiteral(",\n")));
}

void printOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

// Loads --file FILE when given (it must exist), else the user's settings.
bool loadTarget(QStringList& args, CConfigFile& config, QString& path)
{
    path.clear();
    const qsizetype at = args.indexOf(QStringLiteral("--file"));
    if (at >= 0) {
        if (at + 1 >= args.size()) {
            failWith(QStringLiteral("--file needs a file name"));
            return false;
        }
        path = args.at(at + 1);
        args.remove(at, 2);
        QString error;
        if (!config.Load(path, &error)) {
            failWith(QStringLiteral("cannot read settings file %1: %2").arg(path, error));
            return false;
        }
        return true;
    }
    path = scriva::userConfigFile();
    QString reason;
    if (!scriva::loadSettings(config, nullptr, &reason)) {
        failWith(QStringLiteral("cannot read settings file %1: %2").arg(path, reason));
        return false;
    }
    return true;
}

int runDump(const QStringList& args)
{
    if (args.size() != 1)
        return failWith(QStringLiteral("usage: config dump FILE"));
    CConfigFile config;
    QString error;
    if (!config.Load(args.first(), &error))
        return failWith(
            QStringLiteral("cannot read settings file %1: %2").arg(args.first(), error));
    printOut(jsonStore(config));
    return 0;
}

int runGet(QStringList args)
{
    CConfigFile config;
    QString path;
    if (!loadTarget(args, config, path))
        return 1;
    if (args.size() != 2)
        return failWith(QStringLiteral("usage: config get [--file FILE] SECTION KEY"));
    CConfigEntry entry;
    if (!config.GetEntry(args.at(1), entry, args.at(0)))
        return failWith(
            QStringLiteral("%1 has no key '%2' in section '%3'").arg(path, args.at(1), args.at(0)));
    printOut(entry.Value() + u'\n');
    return 0;
}

int runSet(QStringList args)
{
    CConfigFile config;
    QString path;
    if (!loadTarget(args, config, path))
        return 1;
    if (args.size() != 3)
        return failWith(QStringLiteral("usage: config set [--file FILE] SECTION KEY VALUE"));
    const QString problem = CConfigFile::SetProblem(args.at(1), args.at(2), args.at(0));
    if (!problem.isEmpty() || !config.SetString(args.at(1), args.at(2), args.at(0)))
        return failWith(QStringLiteral("value refused: %1").arg(problem));
    QString error;
    if (!config.Save(path, &error))
        return failWith(QStringLiteral("cannot write settings file %1: %2").arg(path, error));
    return 0;
}

int runConfig(const QStringList& args)
{
    const QString usage = QStringLiteral("usage: config dump|get|set ...");
    if (args.isEmpty())
        return failWith(usage);
    const QString verb = args.first();
    const QStringList rest = args.mid(1);
    if (verb == QLatin1String("dump"))
        return runDump(rest);
    if (verb == QLatin1String("get"))
        return runGet(rest);
    if (verb == QLatin1String("set"))
        return runSet(rest);
    return failWith(QStringLiteral("unknown config command '%1'; %2").arg(verb, usage));
}

const CliRegistrar registrar(QStringLiteral("config"),
                             QStringLiteral("config dump FILE | config get [--file FILE] SECTION "
                                            "KEY | config set [--file FILE] SECTION KEY VALUE"),
                             runConfig);

} // namespace
