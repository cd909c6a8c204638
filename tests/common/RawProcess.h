#pragma once
// Runs a program with arguments given as raw bytes (file names that are not UTF-8 cannot
// pass through QProcess, which encodes its QString arguments). Standard output and error
// are collected through files in a given folder. Test thread only; header only.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QProcessEnvironment>
#include <QString>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace rawtest {

struct RawRun
{
    int exitCode = -1; // -1: did not end normally
    QByteArray out;
    QByteArray err;
};

inline RawRun runRaw(const QString& program, const QList<QByteArray>& args,
                     const QProcessEnvironment& env, const QString& workDir, const QString& scratch)
{
    const QByteArray outFile = QFile::encodeName(scratch + QStringLiteral("/raw-out"));
    const QByteArray errFile = QFile::encodeName(scratch + QStringLiteral("/raw-err"));
    const QByteArray exe = QFile::encodeName(program);
    const QByteArray cwd = QFile::encodeName(workDir);
    std::vector<QByteArray> envBytes;
    for (const QString& item : env.toStringList())
        envBytes.push_back(item.toUtf8());
    std::vector<char*> argv{const_cast<char*>(exe.constData())};
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (QByteArray& e : envBytes)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    RawRun result;
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(cwd.constData()))
            _exit(127);
        execve(exe.constData(), argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return result;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    QFile out(QFile::decodeName(outFile)), err(QFile::decodeName(errFile));
    if (out.open(QIODevice::ReadOnly))
        result.out = out.readAll();
    if (err.open(QIODevice::ReadOnly))
        result.err = err.readAll();
    return result;
}

} // namespace rawtest
