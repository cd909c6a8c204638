#pragma once
// The command-line options that need no window: --help, --version and
// --button CODE [LPARAM], handled by main() before any QApplication exists.
// Returns the exit code when an option was handled, or -1 to start the program.

#include <cstdio>

namespace scriva {

// The program's version, set in one place by the build (the project's version,
// which the package and the metadata carry as well).
const char* ProgramVersion();

// argv as main() received it; output goes to `out` and errors to `err`.
int HandleCommandLineOptions(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace scriva
