#pragma once
// What the capture settings dialog shows and stores, without any widget: the
// page and direction lists of the user's language (every page item carries its
// position in the English list, which is what the settings store), the current
// values, the checks of the typed values and the write-back in the store's
// order. Pure; any one thread at a time.

#include "config/CommandIds.h"

#include <QList>
#include <QString>
#include <QStringList>

class CConfigFile;

struct CaptureSettingsValues
{
    QString fileName;
    int pageIndex = -1; // position in the English page list; -1: none
    QString pictureFormat;
    int direction = -1; // 0 none, 1 clockwise, 2 counter-clockwise; -1: none
    QString savePath;   // resolved: an absolute folder
    QString increment;  // typed texts, checked by Check
    QString thumbnailNum;
    QString interval;
    bool byCounter = true;
    int look = 0;        // pageLook: 0 as taken, 1 document, 2 grey, 3 black and white
    int autoMode = 1;    // autoCaptureMode: 0 off, 1 timer, 2 when the page changes
    QString settle;      // seconds a new page lies still before its photo, as typed
    int sensitivity = 5; // 1 (whole pages) ... 10 (a few words)
};

class CaptureSettingsModel
{
public:
    static constexpr int kPresetItem = 11; // position of the preset entry in every page list
    static constexpr int kMinIncrement = 1;
    static constexpr int kMaxIncrement = 65535;
    static constexpr int kMinThumbnails = 1;
    static constexpr int kMaxThumbnails = 6;
    static constexpr int kMinIntervalSeconds = 3;
    static constexpr int kMaxIntervalSeconds = 10;
    static constexpr double kMinSettleSeconds = 0.1;
    static constexpr double kMaxSettleSeconds = 10.0;

    // The edits that are checked, by control number.
    enum Field {
        NoField = 0,
        FileNameEdit = 1001,
        IncrementEdit = 1007,
        ThumbnailEdit = 1008,
        SavePathEdit = 1015,
        IntervalEdit = 1078,
        SettleEdit = 1121
    };

    struct Problem
    {
        Field field = NoField;
        int stringId = 0;
        double low = 0;
        double high = 0;
        bool IsNone() const { return field == NoField; }
    };

    // The formats offered for pictureFormat.
    static QStringList Formats();

    // Reads the lists of the language (its code in any case) and the values;
    // without a preset area the preset entry is not offered and a stored
    // preset page size shows as the whole picture. Creates the save folder.
    void Load(const CConfigFile& config, const QString& languageCode, bool hasPreset);

    const QStringList& PageItems() const { return m_pageItems; }
    // English list position of each shown page item.
    const QList<int>& PageItemIndexes() const { return m_pageIndexes; }
    const QStringList& DirectionItems() const { return m_directionItems; }
    const CaptureSettingsValues& Values() const { return m_values; }
    int ThumbnailsAtOpen() const { return m_thumbnailsAtOpen; }

    // The first typed value that cannot be stored, in the dialog's order.
    static Problem Check(const CaptureSettingsValues& values);
    // The typed settle time in seconds ("," taken as the decimal point); false
    // when it is no number.
    static bool SettleSeconds(const QString& text, double& seconds);
    // Writes the values (checked first) into the store; false when a check fails.
    bool Store(CConfigFile& config, const CaptureSettingsValues& values) const;

private:
    QStringList m_englishPages;
    QStringList m_pageItems;
    QList<int> m_pageIndexes;
    QStringList m_directionItems;
    CaptureSettingsValues m_values;
    int m_thumbnailsAtOpen = 0;
};
