#include "CaptureProfile.h"

#include "config/AppPaths.h"

#include <QSettings>
#include <algorithm>
#include <cmath>

namespace {

int ReadInt(const QString& path, const char* key, int fallback)
{
    QSettings s(path, QSettings::IniFormat);
    bool ok = false;
    // Decimal, as written by hand: a leading zero does not make it octal.
    const int v = s.value(QLatin1String(key)).toString().trimmed().toInt(&ok, 10);
    return ok ? v : fallback;
}

// Accepts decimal or 0x-hex, as the button channel does.
bool ParseCode(const QString& text, int& out)
{
    bool ok = false;
    out = text.trimmed().toInt(&ok, 0);
    return ok;
}

} // namespace

CaptureProfile::CaptureProfile(QString path) : m_path(std::move(path)) {}

QString CaptureProfile::DefaultPath()
{
    return scriva::userConfigFolder() + QStringLiteral("profile.ini");
}

int CaptureProfile::UseFrameRate() const
{
    return ReadInt(m_path, "vidra/UseFrameRate", 1);
}

int CaptureProfile::FramePeriod() const
{
    return ReadInt(m_path, "vidra/FrameRate", 666667);
}

QString CaptureProfile::Source() const
{
    QSettings s(m_path, QSettings::IniFormat);
    return s.value(QStringLiteral("camera/Source")).toString().trimmed();
}

int CaptureProfile::Model(int fallback) const
{
    const int m = ReadInt(m_path, "camera/Model", fallback);
    return m >= 0 && m <= 4 ? m : fallback;
}

int CaptureProfile::Width() const
{
    return std::max(0, ReadInt(m_path, "camera/Width", 0));
}

int CaptureProfile::Height() const
{
    return std::max(0, ReadInt(m_path, "camera/Height", 0));
}

QMap<int, int> CaptureProfile::ButtonMap() const
{
    QMap<int, int> map;
    QSettings s(m_path, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("buttons"));
    for (const QString& key : s.childKeys()) {
        int keyCode = 0;
        int button = 0;
        if (ParseCode(key, keyCode) && ParseCode(s.value(key).toString(), button))
            map.insert(keyCode, button & 0xFF);
    }
    return map;
}

double CaptureProfile::FrameRateFromPeriod(long long period)
{
    if (period <= 0)
        return 15.0;
    const double rate = std::trunc(10000000.0 / static_cast<double>(period) * 100.0) * 0.01;
    return rate > 0.0 ? rate : 15.0;
}
