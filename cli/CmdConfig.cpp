// scriva-cli config: reads and changes settings files.
//   config dump FILE                          the whole file as JSON
//   config get [--file FILE] [--] SECTION KEY        one value
//   config set [--file FILE] [--] SECTION KEY VALUE  (creates a missing FILE)
// Without --file, get reads the user's settings with keys missing there filled
// from the shipped file, and never writes; set seeds the user's settings from the
// shipped file on first use.

#include "CliCommand.h"
#include "CliOptions.h"

#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/CConfigFileLock.h"

#include <QDir>
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

// "[--file FILE] [--] ARGS", options first: "--" lets a section, key or value look like an option.
// False (error said) on a bad command line.
bool takeOptions(QStringList& args, int count, const QString& usage, QString& file, bool& hasFile)
{
    CliOptions options(usage, {{QStringLiteral("--file"), QStringLiteral("FILE")}}, count, count);
    if (!options.OptionsFirst().Parse(args)) {
        failWith(options.Error());
        return false;
    }
    args = options.Args();
    hasFile = options.Has(QStringLiteral("--file"));
    file = options.Value(QStringLiteral("--file"));
    return true;
}

int cannotRead(const QString& path, const QString& reason)
{
    return failWith(QStringLiteral("cannot read settings file %1: %2").arg(path, reason));
}

int runDump(const QStringList& args)
{
    CliOptions options(QStringLiteral("config dump FILE"), {}, 1, 1);
    if (!options.Parse(args))
        return failWith(options.Error());
    const QString& path = options.Args().first();
    // Another kind of file (a picture, UTF-8 text) would read as an empty store.
    const QString format = CConfigFile::FormatProblem(path);
    if (!format.isEmpty())
        return cannotRead(path, format);
    CConfigFile config;
    QString error;
    if (!config.Load(path, &error))
        return cannotRead(path, error);
    printOut(jsonStore(config));
    return 0;
}

// Reads without writing anything: the given file, else the user's settings (when there are
// any) filled in from the shipped file.
int runGet(QStringList args)
{
    QString path;
    bool hasFile = false;
    if (!takeOptions(args, 2, QStringLiteral("config get [--file FILE] [--] SECTION KEY"), path,
                     hasFile))
        return 1;
    CConfigFile config;
    QString error;
    if (!hasFile) {
        path = scriva::userConfigFile();
        if (QFileInfo::exists(path) && !config.Load(path, &error))
            return cannotRead(path, error);
        config.Load(scriva::shippedConfigFile());
    } else if (!config.Load(path, &error)) {
        return cannotRead(path, error);
    }
    CConfigEntry entry;
    if (!config.GetEntry(args.at(1), entry, args.at(0)))
        return failWith(
            QStringLiteral("%1 has no key '%2' in section '%3'").arg(path, args.at(1), args.at(0)));
    printOut(entry.Value() + u'\n');
    return 0;
}

// Reads, changes and writes the file under its lock, so that parallel runs each keep their
// change. A missing --file is created; without --file the user's settings are seeded first.
int runSet(QStringList args)
{
    QString path;
    bool hasFile = false;
    if (!takeOptions(args, 3, QStringLiteral("config set [--file FILE] [--] SECTION KEY VALUE"),
                     path, hasFile))
        return 1;
    const QString problem = CConfigFile::SetProblem(args.at(1), args.at(2), args.at(0));
    if (!problem.isEmpty())
        return failWith(QStringLiteral("value refused: %1").arg(problem));
    if (!hasFile) {
        path = scriva::userConfigFile();
        QDir().mkpath(scriva::userConfigFolder());
    }
    const CConfigFileLock lock(path);
    if (lock.Failed())
        return failWith(QStringLiteral("settings file %1 not changed: %2").arg(path, lock.Error()));
    QString error;
    if (!hasFile && !scriva::ensureUserConfig(&error))
        return cannotRead(path, error);
    const QString format = CConfigFile::FormatProblem(path);
    if (!format.isEmpty())
        return failWith(QStringLiteral("settings file %1 not changed: %2").arg(path, format));
    CConfigFile config;
    if (QFileInfo::exists(path)) {
        if (!config.Load(path, &error))
            return cannotRead(path, error);
    }
    if (!config.SetString(args.at(1), args.at(2), args.at(0)))
        return failWith(QStringLiteral("value refused"));
    if (!config.Save(path, &error))
        return failWith(QStringLiteral("cannot write settings file %1: %2").arg(path, error));
    return 0;
}

int runConfig(const QStringList& args)
{
    const QString usage = QStringLiteral("usage: config dump|get|set ...");
    if (args.isEmpty())
        return failWith(usage);
    const QString& verb = args.first();
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
                             QStringLiteral("config dump FILE | config get [--file FILE] [--] "
                                            "SECTION KEY | config set [--file FILE] [--] "
                                            "SECTION KEY VALUE"),
                             runConfig);

} // namespace
