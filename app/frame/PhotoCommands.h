#pragma once
// The main frame's part in taking photos: the take-photo command while the
// image view is shown switches to the camera instead; the capture settings
// command opens the settings dialog and applies a changed thumbnail count and
// interval; every capture view the frame creates gets the program's message
// boxes, busy flag, settings and the memory of page size and preset area;
// each saved photo is added to the thumbnail column and selected.
// User-interface thread only.

#include "app/frame/FrameServices.h"

#include "capture_view/PhotoJob.h"
#include "image/CommandTarget.h"

#include <QObject>
#include <optional>

class CMainFrame;
class CVideoView;

class PhotoCommands : public QObject
{
    Q_OBJECT
public:
    PhotoCommands(CMainFrame& frame, FrameServices& services);

    // The ids this part answers; others pass on (false, nullopt).
    bool OnCommand(int id);
    std::optional<CommandState> OnUpdateCommand(int id) const;

    // Gives a new capture view what it needs to take photos.
    void SetUp(CVideoView* view);
    PhotoMemory& Memory() { return m_memory; }

    // Adds a saved photo to the thumbnail column (once) and selects it.
    void ShowPhoto(const QString& path);
    // Runs the capture settings dialog; true when it was confirmed.
    bool OpenSettings();

private:
    bool InImageMode() const;

    CMainFrame& m_frame;
    FrameServices& m_services;
    PhotoMemory m_memory;
};
