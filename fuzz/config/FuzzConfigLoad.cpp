// Feeds arbitrary bytes to the settings reader, saves the result through the
// real file path and checks that what was written reads back to the same
// bytes (the writer's output is a fixed point of load + save).

#include "config/CConfigFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString g_path;

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The missing byte-order-mark warning would flood the output.
    qInstallMessageHandler(dropMessages);
    // tmpfs when there is one: the atomic save syncs to disk.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                             ? QStringLiteral("/dev/shm")
                             : QDir::tempPath();
    g_path = base + QStringLiteral("/fuzz_config_%1.cfg").arg(getpid());
    std::atexit([] { QFile::remove(g_path); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CConfigFile first;
    first.LoadFromBytes(input);
    if (!first.Save(g_path))
        std::abort();
    const QByteArray written = readAll(g_path);
    if (written != first.ToBytes())
        std::abort();

    CConfigFile second;
    if (!second.Load(g_path))
        std::abort();
    if (second.ToBytes() != written)
        std::abort(); // a second load + save must change nothing

    // Lookups on whatever was read stay in bounds.
    for (const auto& [section, table] : second.Sections()) {
        for (const auto& [key, entry] : table) {
            int32_t number = 0;
            second.GetInt(key, number, section);
            CConfigEntry copy;
            if (!second.GetEntry(key, copy, section) || copy.Tokens() != entry.Tokens())
                std::abort();
            copy.GetTokenInt(copy.Tokens().size(), number);
        }
    }
    return 0;
}
