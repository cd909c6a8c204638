#pragma once
// The photo settings of the store as one record, read afresh for every photo:
// file name stem, page size, format, turn, save folder, naming rule and
// counter, temporary bitmap, auto-capture interval and the straightening
// precision; and the checks that keep a photo's name inside its folder.
// Pure functions over a settings store; any thread.

#include "image/cximage/CxImage.h"
#include "image/cximage/CxPageLook.h"

#include <QString>
#include <cstdint>

class CConfigFile;

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

// Page height and width in millimetres of a PAGE_SIZE entry; both 0 when the
// entry is missing.
void PageSizeMm(const CConfigFile& config, const QString& name, int& heightMm, int& widthMm);

// True when a stem or extension can be part of a file name in the save
// folder: no "/", "\", NUL, and not "..".
bool IsSafeNamePart(const QString& part);

} // namespace PhotoSettingsReader
