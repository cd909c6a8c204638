#pragma once
// The steps of taking one photo between the settings and the file on disk:
// read the settings, refuse names that would leave the save folder and formats
// no codec writes, make the save folder, build the name (the counter taken from the settings file
// and advanced there at once, under its lock), then develop the held frame (process it and save it
// atomically, so a failure never harms a file it was to replace, and as a new file unless replacing
// was allowed). The caller owns the frame, the question about an existing file and the messages.
// The print path (no save) touches no counter, folder or file. A job may instead name its photo
// with a fixed part and the first free number (scriva-cli demo), or save a picture as it was
// shown (drawn on in the presenter) under the first free name. One thread at a time.

#include "PhotoProcessor.h"
#include "PhotoSettings.h"

#include "image/cximage/CxImage.h"

#include <QDateTime>
#include <QString>
#include <vector>

class CConfigFile;

// What outlives one photo: the page size of the last photo taken with a named
// page size (reused by the preset area) and the preset area itself.
struct PhotoMemory
{
    int pageHeightMm = 0;
    int pageWidthMm = 0;
    bool hasPreset = false;
    PresetArea preset;
};

class PhotoJob
{
public:
    enum class Failure {
        None,
        UnusableName,  // the stem or format would leave the save folder
        NoTempFolder,  // the temporary bitmap's folder cannot be made
        NoFrame,       // no frame held, or it cannot be written or read back
        UnknownFormat, // pictureFormat is none of the known extensions
        ProcessFailed, // a processing step failed
        SaveFailed,    // the photo could not be written
        Exists,        // a file of the photo's name exists and may not be replaced
    };

    // `store` is read for the settings and written for the counter, which
    // is taken from and stored in the file `storePath` at once (an empty path:
    // counted in the store only).
    PhotoJob(CConfigFile& store, const QString& storePath, PhotoMemory& memory);

    // Names the photo "<stem>_<part>.<format>" instead of by the naming rule
    // (no counter is taken) and saves it as a new file under the first free
    // name "<stem>_<part>[_N].<format>" (N from 2): no file is ever replaced
    // and nobody is asked. Call before Prepare.
    void NameWith(const QString& part) { m_namePart = part; }

    // Reads the settings and names the photo. With noSave, neither the
    // counter nor any folder is touched. False with failure() set.
    bool Prepare(const QDateTime& now, bool noSave = false);

    const PhotoSettings& Settings() const { return m_settings; }
    const QString& PhotoPath() const { return m_photoPath; }
    const QString& SaveFolder() const { return m_saveFolder; }
    const QString& TempBitmapPath() const { return m_tempPath; }
    // A file (not a folder) already has the photo's name (never with NameWith).
    bool PhotoExists() const;
    // The user agreed to replace the file of the photo's name. Without it a
    // photo is only ever saved as a new file: Exists when the name is taken,
    // even by a file that appeared after PhotoExists was asked.
    void AllowReplace() { m_replace = true; }

    // Loads the temporary bitmap written from the held frame and develops it.
    bool DevelopBitmap(int cameraModel, int frameWidth);
    // Develops a frame already in memory (print path, or the rows just
    // written to the temporary bitmap); takes over its pixels.
    bool Develop(CxImage& frame, int cameraModel, int frameWidth);
    // Saves the developed photo again, after a failure (Exists, then
    // AllowReplace).
    bool SavePhoto();
    // Saves a finished picture as it was shown (no page cut, straightening,
    // turn or look; the resolution from the frame width) under the photo's
    // name, or the first free "<stem>_<number>_N.<format>" when that is taken:
    // it never replaces a file and nobody is asked. Takes over its pixels.
    bool SaveAsShown(CxImage& picture, int frameWidth);

    const CxImage& Photo() const { return m_photo; }
    const PhotoReport& Report() const { return m_report; }
    Failure failure() const { return m_failure; }
    // What went wrong, in words (paths and the image's own error text).
    const QString& FailureDetail() const { return m_detail; }

private:
    bool Refuse(Failure failure, const QString& detail);
    QString NumberPart(const QDateTime& now);
    PhotoParams Params(int cameraModel, int frameWidth);
    // Saves under the first free "<base>[_N].<format>" of the save folder.
    bool SaveUnderFreeName(const std::vector<uint8_t>& bytes, const QString& base);

    CConfigFile& m_store;
    QString m_storePath;
    PhotoMemory& m_memory;
    PhotoSettings m_settings;
    bool m_noSave = false;
    bool m_replace = false;
    QString m_namePart; // NameWith
    uint32_t m_format = CXIMAGE_FORMAT_UNKNOWN;
    QString m_saveFolder;
    QString m_photoPath;
    QString m_baseName; // "<stem>_<number>": the photo's name without the format
    QString m_tempPath;
    CxImage m_photo;
    PhotoReport m_report;
    Failure m_failure = Failure::None;
    QString m_detail;
};
