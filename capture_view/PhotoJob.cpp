#include "PhotoJob.h"

#include "PhotoNaming.h"

#include "base/CxSafeFile.h"
#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <vector>

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
    m_format = CxImage::FormatFromExtension(m_settings.format.toLatin1().constData());
    if (noSave)
        return true;
    if (!PhotoSettingsReader::IsSafeNamePart(m_settings.stem))
        return Refuse(Failure::UnusableName, m_settings.stem);
    if (!PhotoSettingsReader::IsSafeNamePart(m_settings.format))
        return Refuse(Failure::UnusableName, m_settings.format);
    // Refused before the counter moves or any folder is made: the photo
    // could not be saved.
    if (m_format == CXIMAGE_FORMAT_UNKNOWN)
        return Refuse(Failure::UnknownFormat, m_settings.format);
    // A folder that cannot be made shows up as a failed save.
    m_saveFolder = PhotoNaming::SaveFolder(m_settings.savePath);
    QDir().mkpath(m_saveFolder);
    const QString number = m_namePart.isEmpty() ? NumberPart(now) : m_namePart;
    m_tempPath = PhotoNaming::TempBitmapPath(m_settings.tempPath, m_settings.tempName);
    m_photoPath = PhotoNaming::PathIn(
        m_saveFolder, PhotoNaming::FileName(m_settings.stem, number, m_settings.format));
    m_baseName = m_settings.stem + u'_' + number;
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
    namespace settings = scriva::settings;
    const int32_t step = m_settings.increment;
    const auto next = [step](int32_t value) { return PhotoNaming::NextCounter(value, step); };
    // The counter moves on even if this photo fails later: a number is never
    // handed out twice. It is taken from the settings file as it is now, under
    // its lock, so that other programs taking photos (scriva-cli) and this one
    // never share a number nor set the counter back.
    int32_t value = 0;
    QString error;
    if (!m_storePath.isEmpty() &&
        settings::TakeNumber(m_store, m_storePath, settings::kCounterNext, next, value, &error))
        return PhotoNaming::CounterNumber(value);
    if (!m_storePath.isEmpty())
        qWarning("the photo counter could not be stored: %s", qUtf8Printable(error));
    // Counted in memory only; the photo is not lost for it, and a name taken
    // meanwhile is never replaced without asking.
    value = settings::ReadInt(m_store, settings::kCounterNext);
    settings::WriteInt(m_store, settings::kCounterNext, next(value));
    return PhotoNaming::CounterNumber(value);
}

bool PhotoJob::PhotoExists() const
{
    return m_namePart.isEmpty() && !m_photoPath.isEmpty() && QFileInfo(m_photoPath).isFile();
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
    p.look = m_settings.look;
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
    m_photo.Transfer(frame);
    QString error;
    if (!PhotoProcessor::Process(m_photo, Params(cameraModel, frameWidth), &m_report, &error))
        return Refuse(Failure::ProcessFailed, error);
    if (m_noSave)
        return true;
    return SavePhoto();
}

bool PhotoJob::SavePhoto()
{
    m_failure = Failure::None;
    m_detail.clear();
    std::vector<uint8_t> bytes;
    if (!m_photo.Encode(bytes, m_format))
        return Refuse(
            Failure::SaveFailed,
            QStringLiteral("%1: %2").arg(m_photoPath, QString::fromUtf8(m_photo.GetLastError())));
    if (!m_namePart.isEmpty())
        return SaveUnderFreeName(bytes, m_baseName);
    // Written into a temporary file beside the target and put in place only
    // when the whole photo is written. A new photo never replaces a file that
    // got its name meanwhile (another program saving into the same folder);
    // only an answered question does.
    const std::string path = QFile::encodeName(m_photoPath).toStdString();
    CxSafeFile file;
    const bool opened = m_replace ? file.Open(path) : file.OpenNew(path);
    if (opened && file.Write(bytes.data(), bytes.size()) && file.Commit())
        return true;
    if (!m_replace && file.ErrorNumber() == EEXIST)
        return Refuse(Failure::Exists, m_photoPath);
    return Refuse(Failure::SaveFailed,
                  QStringLiteral("%1: %2").arg(m_photoPath, QString::fromLocal8Bit(file.Error())));
}

bool PhotoJob::SaveAsShown(CxImage& picture, int frameWidth)
{
    if (m_noSave || m_photoPath.isEmpty())
        return Refuse(Failure::SaveFailed, QStringLiteral("no photo name"));
    if (!picture.IsValid())
        return Refuse(Failure::NoFrame, QStringLiteral("no frame"));
    m_failure = Failure::None;
    m_detail.clear();
    m_photo.Transfer(picture);
    const int dpi = PhotoProcessor::ResolutionForFrameWidth(frameWidth);
    m_photo.SetXDPI(dpi);
    m_photo.SetYDPI(dpi);
    std::vector<uint8_t> bytes;
    if (!m_photo.Encode(bytes, m_format))
        return Refuse(
            Failure::SaveFailed,
            QStringLiteral("%1: %2").arg(m_photoPath, QString::fromUtf8(m_photo.GetLastError())));
    return SaveUnderFreeName(bytes, m_baseName);
}

bool PhotoJob::SaveUnderFreeName(const std::vector<uint8_t>& bytes, const QString& base)
{
    // The free name is held by an empty file of its own; the photo replaces it
    // whole, and a failure leaves no file behind.
    QFile reserved;
    QString error;
    const QString path =
        PhotoNaming::ReserveNewFile(m_saveFolder, base, m_settings.format, reserved, error);
    if (path.isEmpty())
        return Refuse(Failure::SaveFailed, error);
    reserved.close();
    m_photoPath = path;
    CxSafeFile file;
    if (file.Open(QFile::encodeName(path).toStdString()) &&
        file.Write(bytes.data(), bytes.size()) && file.Commit())
        return true;
    reserved.remove();
    return Refuse(Failure::SaveFailed,
                  QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(file.Error())));
}
