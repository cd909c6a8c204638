#pragma once
// Where the programs the shell starts are found: the video recorder of the
// interface language (shipped beside the program, named in the settings, or a
// camera program of the desktop), a paint program for the current image, and
// the product page in the browser. Pure look-ups; any thread.

#include <QString>
#include <QUrl>

namespace companion {

// "enMovrec" ... "cataMovrec"; both Chinese interfaces share one; empty
// outside 1-11.
QString RecorderName(int languageIndex);
// <data folder>/bin/<name> when it is there, else the configured program when
// it can be found, else the first desktop camera program on PATH; empty when
// none exists.
QString FindRecorder(const QString& dataFolder, int languageIndex, const QString& configured);
// The first paint program on PATH, else the desktop's opener.
QString FindPaintProgram();
// Scheme and host of the configured address + "/sm.jsp?ID=8"; invalid when
// the address has no host.
QUrl ProductPage(const QString& configuredUrl);

} // namespace companion
