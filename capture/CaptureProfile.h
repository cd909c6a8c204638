#pragma once
// The user's capture settings kept in profile.ini in the user config folder:
// [vidra] frame-rate values, [camera] source, model and size, [buttons] extra
// key mappings. Read afresh on every call; any thread (QSettings per call).

#include <QMap>
#include <QString>

class CaptureProfile
{
public:
    // Defaults to profile.ini in the user config folder.
    explicit CaptureProfile(QString path = DefaultPath());

    static QString DefaultPath();

    int UseFrameRate() const; // [vidra] UseFrameRate, default 1
    int FramePeriod() const;  // [vidra] FrameRate, 100-ns units, default 666667
    double FrameRate() const { return FrameRateFromPeriod(FramePeriod()); }

    QString Source() const;           // [camera] Source, empty when unset
    int Model(int fallback) const;    // [camera] Model, fallback when unset or bad
    int Width() const;                // [camera] Width, 0 when unset
    int Height() const;               // [camera] Height, 0 when unset
    QMap<int, int> ButtonMap() const; // [buttons] evdev key code -> button code

    const QString& Path() const { return m_path; }

    // Frames per second from a period in 100-ns units, to two decimals
    // truncated (666667 gives 14.99); a period of 0 or less gives 15.0.
    static double FrameRateFromPeriod(long long period);

private:
    QString m_path;
};
