#include "PhotoJob.h"

#include "PhotoNaming.h"

#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

PhotoJob::PhotoJob(CConfigFile& store, const QString& storePath, PhotoMemory& memory)
    : m_store(store), m_storePath(storePath), m_memory(memory)
{
}

bool PhotoJob::Refuse(Failure failure, const QString& detail)
{
    m_failure = failure;
    m_detail = detail;
    return false;
}

bool PhotoJob::Prepare(const QDateTime& now, bool noSave)
{
    m_noSave = noSave;
    m_failure = Failure::None;
    m_detail.clear();
    m_settings = PhotoSettingsReader::Read(m_store);
    m_format = PhotoSettingsReader::FormatOf(m_settings.format);
    if (noSave)
        return true;
    if (!PhotoSettingsReader::IsSafeNamePart(m_settings.stem))
        return Refuse(Failure::UnusableName, m_settings.stem);
    if (!PhotoSettingsReader::IsSafeNamePart(m_settings.format))
        return Refuse(Failure::UnusableName, m_settings.format);
    // A folder that cannot be made shows up as a failed save.
    m_saveFolder = PhotoNaming::SaveFolder(m_settings.savePath);
    QDir().mkpath(m_saveFolder);
    const QString number = NumberPart(now);
    m_tempPath = PhotoNaming::TempBitmapPath(m_settings.tempPath, m_settings.tempName);
    m_photoPath = PhotoNaming::PathIn(
        m_saveFolder, PhotoNaming::FileName(m_settings.stem, number, m_settings.format));
    if (m_settings.tempName.isEmpty() || !PhotoSettingsReader::IsSafeNamePart(m_settings.tempName))
        return Refuse(Failure::NoTempFolder, m_settings.tempName);
    const QString tempFolder = QFileInfo(m_tempPath).path();
    if (!QDir().mkpath(tempFolder))
        return Refuse(Failure::NoTempFolder, tempFolder);
    return true;
}

QString PhotoJob::NumberPart(const QDateTime& now)
{
    if (!m_settings.NamesByCounter())
        return PhotoNaming::DateNumber(now);
    const int32_t value = m_settings.counter;
    // The counter moves on even if this photo fails later: a number is never
    // handed out twice.
    scriva::settings::WriteInt(m_store, scriva::settings::kCounterNext,
                               PhotoNaming::NextCounter(value, m_settings.increment));
    if (!m_storePath.isEmpty())
        m_store.Save(m_storePath);
    return PhotoNaming::CounterNumber(value);
}

bool PhotoJob::PhotoExists() const
{
    return !m_photoPath.isEmpty() && QFileInfo(m_photoPath).isFile();
}

PhotoParams PhotoJob::Params(int cameraModel, int frameWidth)
{
    QString page = m_settings.pageName;
    if (page == PhotoSettingsReader::kPreset && !m_memory.hasPreset)
        page = PhotoSettingsReader::kWholePicture;
    const bool preset = page == PhotoSettingsReader::kPreset;
    if (!preset)
        PhotoSettingsReader::PageSizeMm(m_store, page, m_memory.pageHeightMm, m_memory.pageWidthMm);
    PhotoParams p;
    p.cameraModel = cameraModel;
    p.pageHeightMm = m_memory.pageHeightMm;
    p.pageWidthMm = m_memory.pageWidthMm;
    p.direction = m_settings.direction;
    p.usePreset = preset;
    p.preset = m_memory.preset;
    p.frameWidth = frameWidth;
    p.fineStraighten = m_settings.fineStraighten;
    return p;
}

bool PhotoJob::DevelopBitmap(int cameraModel, int frameWidth)
{
    CxImage frame;
    if (!frame.Load(QFile::encodeName(m_tempPath).toStdString(), CXIMAGE_FORMAT_BMP))
        return Refuse(Failure::NoFrame, QStringLiteral("%1: %2").arg(
                                            m_tempPath, QString::fromUtf8(frame.GetLastError())));
    return Develop(frame, cameraModel, frameWidth);
}

bool PhotoJob::Develop(CxImage& frame, int cameraModel, int frameWidth)
{
    if (!frame.IsValid())
        return Refuse(Failure::NoFrame, QStringLiteral("no frame"));
    if (!m_noSave && m_format == CXIMAGE_FORMAT_UNKNOWN)
        return Refuse(Failure::UnknownFormat, m_settings.format);
    m_photo.Transfer(frame);
    QString error;
    if (!PhotoProcessor::Process(m_photo, Params(cameraModel, frameWidth), &m_report, &error))
        return Refuse(Failure::ProcessFailed, error);
    if (m_noSave)
        return true;
    // The image object writes a temporary file beside the target and renames
    // it over the target only when the whole photo is written.
    if (!m_photo.Save(QFile::encodeName(m_photoPath).toStdString(), m_format))
        return Refuse(
            Failure::SaveFailed,
            QStringLiteral("%1: %2").arg(m_photoPath, QString::fromUtf8(m_photo.GetLastError())));
    return true;
}
