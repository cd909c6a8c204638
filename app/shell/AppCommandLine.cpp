#include "app/shell/AppCommandLine.h"

#include "app/shell/SingleInstance.h"

#include "config/AppPaths.h"
#include <QCoreApplication>
#include <cstring>

#ifndef SCRIVA_VERSION
#define SCRIVA_VERSION "0.0.0"
#endif

namespace scriva {
namespace {

constexpr int kUnknownOptionExit = 2; // as command-line tools say "usage error"

const char kUsage[] =
    "Usage: scriva [-r] [FILE...]\n"
    "       scriva --button CODE [LPARAM]\n"
    "       scriva --help | --version\n"
    "\n"
    "Photographs, edits and recognises pages under a USB document camera.\n"
    "\n"
    "  FILE...               open the first file and list them all as thumbnails;\n"
    "                        when Scriva runs already, it takes them and this exits\n"
    "  -r                    restart of a running instance: wait for it to close\n"
    "  --button CODE [LPARAM]  send a camera button code (decimal or 0x-hex) to the\n"
    "                        running instance; exit 1 when none runs\n"
    "  --help                show this text\n"
    "  --version             show the version\n";

int sendButton(int argc, char** argv, std::FILE* err)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(err, "scriva: --button needs CODE and an optional LPARAM\n");
        return 1;
    }
    int64_t code = 0;
    int64_t lParam = 0;
    if (!SingleInstance::ParseNumber(QString::fromLocal8Bit(argv[2]), code) ||
        (argc == 4 && !SingleInstance::ParseNumber(QString::fromLocal8Bit(argv[3]), lParam))) {
        std::fprintf(err, "scriva: --button: not a number (decimal or 0x-hex)\n");
        return 1;
    }
    if (code < 0 || code > UINT32_MAX) {
        std::fprintf(err, "scriva: --button: CODE out of range (0 to 0xFFFFFFFF)\n");
        return 1;
    }
    // A core application only: no display is needed to send a button.
    QCoreApplication app(argc, argv);
    QString error;
    const QString runtime = scriva::runtimeFolder();
    if (!SingleInstance::IsRunning(runtime)) {
        std::fprintf(err, "scriva: no Scriva is running\n");
        return 1;
    }
    if (!SingleInstance::SendButton(runtime, uint32_t(code), lParam, &error)) {
        std::fprintf(err, "scriva: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace

const char* ProgramVersion()
{
    return SCRIVA_VERSION;
}

int HandleCommandLineOptions(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    if (argc < 2)
        return -1;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, out);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::fprintf(out, "scriva %s\n", ProgramVersion());
        return 0;
    }
    if (std::strcmp(argv[1], "--button") == 0)
        return sendButton(argc, argv, err);
    // The program's own long options are those above; Qt's take one dash (-platform).
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) == 0) {
            std::fprintf(err, "scriva: unknown option '%s' (see scriva --help)\n", argv[i]);
            return kUnknownOptionExit;
        }
    }
    return -1;
}

} // namespace scriva
