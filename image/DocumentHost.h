#pragma once
// What the document asks of the windows around it: message boxes and the
// file-name prompt, the right-area mode and its switch, the result pane, the
// recent-file list, the thumbnail column and the program's busy state. The
// main frame fills it (FrameWindows); tests fill it with their own answers.
// Unset members do nothing (questions answer No, prompts Cancel). A plain
// value; user-interface thread only.

#include <QString>
#include <functional>

class IThumbList;

struct DocumentHost
{
    std::function<QString(int)> string;                        // pack string by id
    std::function<void(const QString&)> showText;              // plain box with OK
    std::function<void(int id, bool information)> showMessage; // numbered string
    std::function<bool(const QString&)> askYesNo;              // question box: true on Yes
    // The file-name prompt for saving: name and type in and out, with its title
    // (empty: the prompt's own); false on Cancel.
    std::function<bool(QString& name, int& type, const QString& title)> promptSaveName;
    std::function<int()> rightAreaMode;         // 101 image view, 154 capture view
    std::function<bool()> programBusy;          // a worker, a photo or a switch runs
    std::function<void()> switchRightPane;      // at once
    std::function<void()> switchRightPaneLater; // from the event loop (view handlers)
    std::function<void(bool half)> showResultPane;
    std::function<void(const QString& path, const QString& text)> setResultText;
    // The text pane stores what the user changed in it under its image's path.
    std::function<void()> keepResultEdits;
    std::function<void(const QString&)> addRecentFile;
    std::function<IThumbList*()> thumbs;
    std::function<void()> clearPresetAreaFlag;
    // The preset capture area was confirmed (the document holds it): the frame
    // sets its flag, the photo settings take "Preinstall" and the camera comes.
    std::function<void()> presetAreaConfirmed;
    std::function<bool()> presetAreaFlag;
};
