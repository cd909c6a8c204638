#pragma once
// Opens the camera source for a command of the tool and waits for its first
// frames: the source setting (given, else SCRIVA_CAMERA or the profile), the
// supported cameras of the settings, a device's exposure given time to settle.
// The calling thread only.

#include "capture/CCaptureGraph.h"

#include <QString>
#include <QStringList>

class CConfigFile;

namespace scriva::cli {

// The supported cameras (NORMAL/pidVid) of the settings.
QStringList CameraTokens(const CConfigFile& config);

// Starts `graph` on the source and waits for frames. False with the reason;
// the graph is then shut down.
bool StartCamera(CCaptureGraph& graph, const QString& sourceSetting, const QStringList& tokens,
                 QString& error);

} // namespace scriva::cli
