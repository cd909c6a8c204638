#include "QxLibrary.h"

#include "config/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#ifndef SCRIVA_PRIVATE_LIB_DIR
#define SCRIVA_PRIVATE_LIB_DIR "lib/scriva"
#endif

namespace scriva::ocr {

namespace {

const QString kLibraryName = QStringLiteral("libqxbcr.so");
constexpr int kVersionSize = 256;

QString defaultLibraryPath()
{
    QString beside = exeFolder() + kLibraryName;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(
        exeFolder() + QStringLiteral("../" SCRIVA_PRIVATE_LIB_DIR "/") + kLibraryName);
    return QFileInfo::exists(installed) ? installed : beside;
}

template <typename F> bool resolve(QLibrary& library, const char* name, F& function)
{
    function = reinterpret_cast<F>(library.resolve(name));
    return function != nullptr;
}

} // namespace

QxLibrary::QxLibrary(const QString& path)
{
    m_loaded = load(path.isEmpty() ? defaultLibraryPath() : path);
}

QxLibrary::~QxLibrary()
{
    // Never unloaded: engines pooled inside it may outlive this object.
    delete static_cast<QLibrary*>(m_library);
}

const QxLibrary& QxLibrary::Shared()
{
    static const QxLibrary* shared = new QxLibrary();
    return *shared;
}

bool QxLibrary::load(const QString& path)
{
    auto* library = new QLibrary(path);
    m_library = library;
    if (!library->load()) {
        m_error = QStringLiteral("cannot load the OCR engine library: ") + library->errorString();
        return false;
    }
    if (!resolveAll()) {
        m_error = QStringLiteral("cannot load the OCR engine library: ") + path +
                  QStringLiteral(" lacks the engine functions");
        return false;
    }
    return true;
}

bool QxLibrary::resolveAll()
{
    auto& l = *static_cast<QLibrary*>(m_library);
    return resolve(l, "QX_StartOCR", StartOCR) && resolve(l, "QX_CloseOCR", CloseOCR) &&
           resolve(l, "QX_allocImage", allocImage) && resolve(l, "QX_freeImage", freeImage) &&
           resolve(l, "QX_DoImageOCR", DoImageOCR) && resolve(l, "QX_DoLineOCR", DoLineOCR) &&
           resolve(l, "QX_freeBField", freeBField) &&
           resolve(l, "QX_EnableMultiLine", EnableMultiLine) &&
           resolve(l, "QX_EnableRotate", EnableRotate) && resolve(l, "QX_SetImgType", SetImgType) &&
           resolve(l, "QX_RemoveUnderLine", RemoveUnderLine) &&
           resolve(l, "QX_CodeConvert", CodeConvert) && resolve(l, "QX_GetLastErr", GetLastErr) &&
           resolve(l, "QX_GetVersionString", GetVersionString) &&
           resolve(l, "QXS_SetLanguages", SetLanguages) &&
           resolve(l, "QXS_DoImageWords", DoImageWords) && resolve(l, "QXS_freeWords", freeWords);
}

QString QxLibrary::Version() const
{
    if (!m_loaded)
        return QString();
    char buffer[kVersionSize] = {};
    if (!GetVersionString(buffer, kVersionSize))
        return QString();
    return QString::fromUtf8(buffer);
}

} // namespace scriva::ocr
