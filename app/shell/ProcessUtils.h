#pragma once
// Starting other programs: a program with an argument list (never a command
// string), detached or waited for at most 30 s, and the web browser. A failed
// start hands back the system's error where it happened, so the report shows
// the real cause. User-interface thread only.

#include <QString>
#include <QStringList>

class QUrl;

struct ProgramStart
{
    int result = -1;   // exit code when waited for, 0 when detached, -1 on failure
    int errorCode = 0; // errno-style code of a failed start
    QString error;     // the system's text for it
    bool ok() const { return result != -1; }
};

// Longest wait for a program; after it the program is killed and the result is -1.
constexpr int kProgramWaitMs = 30000;

ProgramStart RunProgram(const QString& program, const QStringList& arguments, bool wait,
                        int waitMs = kProgramWaitMs);
// Asking for raised privileges is not something this program does.
inline bool RunElevated(const QString&, const QStringList&, bool)
{
    return false;
}
bool OpenInBrowser(const QUrl& url);
// The first of the names found on PATH, as a full path; empty when none is.
QString FindFirstProgram(const QStringList& names);
