#include "CliCommand.h"

#include <cstdio>

namespace scriva::cli {

std::map<QString, CliCommandInfo>& commandTable()
{
    static std::map<QString, CliCommandInfo> table;
    return table;
}

int failWith(const QString& message)
{
    std::fprintf(stderr, "scriva-cli: %s\n", message.toLocal8Bit().constData());
    return 1;
}

} // namespace scriva::cli
