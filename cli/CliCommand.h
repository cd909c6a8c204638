#pragma once
// Sub-commands of scriva-cli. Each command file registers its handlers with a
// static CliRegistrar; main() looks the first argument up and runs the handler
// with the remaining arguments. Handlers print errors as one line on stderr and
// return the process exit code.

#include "image/cximage/CxImage.h"

#include <QStringList>
#include <functional>
#include <map>
#include <set>
#include <utility>

namespace scriva::cli {

using CliHandler = std::function<int(const QStringList& args)>;

struct CliCommandInfo
{
    QString usage; // one line, shown by "scriva-cli --help"
    CliHandler run;
};

std::map<QString, CliCommandInfo>& commandTable();

struct CliRegistrar
{
    CliRegistrar(const QString& name, const QString& usage, CliHandler run)
    {
        commandTable()[name] = CliCommandInfo{usage, std::move(run)};
    }
};

// Prints "scriva-cli: <message>" on stderr and returns 1.
int failWith(const QString& message);
// Prints "scriva-cli: <message>" on stderr: something the user must know about
// a command that still did its work.
void warnWith(const QString& message);

// The files given to a command, by identity (device and inode): an output that is one
// of the inputs, under any name or link, is found before anything is written.
class FileIdentities
{
public:
    void Add(const QString& path); // a path that does not exist adds nothing
    bool Contains(const QString& path) const;

private:
    std::set<std::pair<unsigned long long, unsigned long long>> m_ids;
};

// Loads a picture for a command: the format comes from the file's first bytes
// (else its extension), so a damaged file gets its decoder's own reason. False
// with the reason in *error (a folder, an empty file, a decoder's text).
bool loadPicture(const QString& path, CxImage& image, QString* error);

// Creates the folder and its parents. False with the system's reason in *error ("Not a
// directory" when a file stands in the way, "Permission denied", ...).
bool makeFolder(const QString& path, QString* error);

} // namespace scriva::cli
