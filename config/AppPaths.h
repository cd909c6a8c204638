#pragma once
// Where the program's files live: the read-only data folder it ships with, the
// user's settings, cache and documents folders. Free functions, callable from
// any thread; folder results end in "/". Locations follow the XDG variables
// as they are when called, so tests can point them at temporary folders.

#include <QString>

class CConfigFile;

namespace scriva {

// Folder of the running executable.
QString exeFolder();
// Shipped files: <exe folder>/../share/scriva/ when it exists (installed),
// else the executable's folder (build tree).
QString dataFolder();
// $XDG_CONFIG_HOME/scriva/ and the user's settings file inside it.
QString userConfigFolder();
QString userConfigFile();
// The settings file shipped in the data folder.
QString shippedConfigFile();
// $XDG_CACHE_HOME/scriva/, created with mode 0700 when missing.
QString cacheFolder();
// The user's documents folder, else the home folder; never empty.
QString documentsFolder();
// $XDG_RUNTIME_DIR/ (per-user sockets).
QString runtimeFolder();

// A path value of the settings: "\" and "/" both separate; a relative value
// lies under the data folder, an absolute one is used as it is.
QString resolveDataPath(const QString& value);
// The same rules, but relative values lie under the documents folder (photo
// save folder) or the cache folder (temporary scan image).
QString resolveDocumentsPath(const QString& value);
QString resolveCachePath(const QString& value);

// First run: creates the user config folder and copies the shipped settings
// file into it byte for byte. True when the user file exists afterwards;
// otherwise false with the reason in *message.
bool ensureUserConfig(QString* message = nullptr);

// Start-up load: seeds the user file when missing, loads it, then loads the
// shipped file so that keys added by a newer version are filled in while the
// user's values win. False (with the user file's path in *failedPath and the
// cause in *reason) when the user file cannot be loaded.
bool loadSettings(CConfigFile& config, QString* failedPath = nullptr, QString* reason = nullptr);

} // namespace scriva
