#pragma once
// scriva-cli run from the recognition tests: a temporary folder that holds the run's
// settings, cache and home and the pages it reads, the engine on one thread, and the
// program from the test's own bin folder. The test thread only.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ocrtest {

struct CliResult
{
    int exitCode = -1; // -1: did not finish normally
    QString out;
    QString err;
};

class CliSandbox
{
public:
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Gives `process` the sandbox's environment; with a file size limit (bytes) a longer
    // write fails with EFBIG (a full disk for the files it writes).
    void prepare(QProcess& process, long long fileSizeLimit = -1) const;
    // Runs scriva-cli with `args` and waits up to two minutes for it.
    CliResult run(const QStringList& args, long long fileSizeLimit = -1) const;
    // Renders `text` as one line into a PNG named `name` in the sandbox; its path.
    QString page(const QString& name, const QString& text) const;

    // Folder of the running test executable, ending in "/".
    static QString binFolder();
    static QString cliPath() { return binFolder() + QStringLiteral("scriva-cli"); }

private:
    QTemporaryDir m_dir;
};

// The file's bytes, or "<missing>" when it cannot be read.
QByteArray readFile(const QString& path);

} // namespace ocrtest
