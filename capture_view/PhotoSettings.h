#pragma once
// The photo settings of the store as one record, read afresh for every photo:
// file name stem, page size, format, turn, save folder, naming rule and
// counter, temporary bitmap, auto-capture interval and the straightening
// precision; and the checks that keep a photo's name inside its folder.
// Pure functions over a settings store; any thread.

#include "capture_view/PageWatcher.h"
#include "image/cximage/CxImage.h"
#include "image/cximage/CxPageLook.h"

#include <QString>
#include <cstdint>

class CConfigFile;

// What the auto-capture commands start.
enum class AutoCaptureMode { Off = 0, Timer = 1, PageChange = 2 };

struct PhotoSettings
{
    QString stem;          // fileName
    QString pageName;      // sizePicture: a PAGE_SIZE key or "Preinstall"
    QString format;        // pictureFormat, the extension as written
    int direction = 0;     // imageDirection: 0 none, 1 clockwise, 2 counter-clockwise
    QString savePath;      // as written; a relative one lies under the documents folder
    int nomenclature = 0;  // 0 names by date and time, any other value by counter
    int32_t counter = 0;   // initialValue: the number the next counted photo gets
    int32_t increment = 0; // added to the counter after each counted photo
    QString tempName;      // scanTempImg
    QString tempPath;      // NORMAL/tempPath; a relative one lies under the cache folder
    int32_t intervalSeconds = 0;
    AutoCaptureMode autoMode = AutoCaptureMode::Timer;
    scriva::watch::WatchSettings watch;         // settle time and sensitivity of hands-free capture
    bool fineStraighten = true;                 // sub-degree straightening; missing key: on
    cxlook::Look look = cxlook::Look::Original; // pageLook; missing or unknown: as taken

    bool NamesByCounter() const { return nomenclature != 0; }
};

namespace PhotoSettingsReader {

extern const QString kSection;      // TAKE_PHOTOS_SET
extern const QString kPreset;       // the page size name of the preset area
extern const QString kWholePicture; // the page size name without a crop

PhotoSettings Read(const CConfigFile& config);

// The look of photos (pageLook): Original when the key is missing or holds no look.
cxlook::Look PageLook(const CConfigFile& config);

// Hands-free capture's limits and defaults (a missing or 0 key reads as the default).
constexpr int kMinSettleMs = 100;
constexpr int kMaxSettleMs = 10000;
constexpr int kDefaultSettleMs = 800;
constexpr int kMinSensitivity = 1;
constexpr int kMaxSensitivity = 10;
constexpr int kDefaultSensitivity = 5;

// The auto-capture mode: Timer when the key is missing or holds no mode.
AutoCaptureMode AutoMode(const CConfigFile& config);
// Settle time and sensitivity, each clamped into its range.
scriva::watch::WatchSettings WatchSettingsOf(const CConfigFile& config);
// The stored settle time in milliseconds (clamped; the default when missing).
int SettleMs(const CConfigFile& config);
int Sensitivity(const CConfigFile& config);

// Page height and width in millimetres of a PAGE_SIZE entry; both 0 when the
// entry is missing.
void PageSizeMm(const CConfigFile& config, const QString& name, int& heightMm, int& widthMm);

// True when a stem or extension can be part of a file name in the save
// folder: no "/", "\", NUL, and not "..".
bool IsSafeNamePart(const QString& part);

} // namespace PhotoSettingsReader
