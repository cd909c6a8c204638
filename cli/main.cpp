// scriva-cli: headless access to the program's core (settings, images, camera,
// OCR, PDF). Usage: scriva-cli COMMAND [ARGS...]; "scriva-cli --help" lists them.

#include "CliCommand.h"
#include "config/NativePath.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

using namespace scriva::cli;

static void printUsage(FILE* out)
{
    std::fprintf(out, "usage: scriva-cli COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& [name, info] : commandTable())
        std::fprintf(out, "  %s\n", info.usage.toLocal8Bit().constData());
}

int main(int argc, char** argv)
{
    setenv("OMP_THREAD_LIMIT", "1", 0);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("scriva"));
    // File names are the system's bytes: arguments that are not UTF-8 reach the files
    // they name (Qt's own list would turn such bytes into U+FFFD).
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << scriva::PathFromNative(argv[i]);
    if (args.isEmpty() || args.first() == QLatin1String("--help") ||
        args.first() == QLatin1String("-h")) {
        printUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    auto it = commandTable().find(name);
    if (it == commandTable().end()) {
        std::fprintf(stderr, "scriva-cli: unknown command '%s'\n",
                     scriva::NativePath(name).constData());
        printUsage(stderr);
        return 2;
    }
    return it->second.run(args);
}
