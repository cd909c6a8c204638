#pragma once
// The recognition engine library, loaded at run time: from the executable's
// folder, else from the program's private library folder installed beside it,
// <exe>/../lib/<architecture triplet>/scriva/. The program never links the engine
// itself, so the OpenMP thread limit set by main() is read when the engine
// comes in. Once loaded, the functions may be called from any thread (each
// engine handle by one thread at a time).

#include "engine/QxApi.h"

#include <QString>

namespace scriva::ocr {

class QxLibrary
{
public:
    // Loads the library at `path`, or from the usual places when empty.
    explicit QxLibrary(const QString& path = QString());
    ~QxLibrary();
    QxLibrary(const QxLibrary&) = delete;
    QxLibrary& operator=(const QxLibrary&) = delete;

    // The library of this process, loaded on first use.
    static const QxLibrary& Shared();

    bool IsLoaded() const { return m_loaded; }
    // "cannot load the OCR engine library: " + the loader's message.
    const QString& LoadError() const { return m_error; }
    // The engine's version text; empty when the library is missing.
    QString Version() const;

    decltype(&QX_StartOCR) StartOCR = nullptr;
    decltype(&QX_CloseOCR) CloseOCR = nullptr;
    decltype(&QX_allocImage) allocImage = nullptr;
    decltype(&QX_freeImage) freeImage = nullptr;
    decltype(&QX_DoImageOCR) DoImageOCR = nullptr;
    decltype(&QX_DoLineOCR) DoLineOCR = nullptr;
    decltype(&QX_freeBField) freeBField = nullptr;
    decltype(&QX_EnableMultiLine) EnableMultiLine = nullptr;
    decltype(&QX_EnableRotate) EnableRotate = nullptr;
    decltype(&QX_SetImgType) SetImgType = nullptr;
    decltype(&QX_RemoveUnderLine) RemoveUnderLine = nullptr;
    decltype(&QX_CodeConvert) CodeConvert = nullptr;
    decltype(&QX_GetLastErr) GetLastErr = nullptr;
    decltype(&QX_GetVersionString) GetVersionString = nullptr;
    decltype(&QXS_SetLanguages) SetLanguages = nullptr;
    decltype(&QXS_DoImageWords) DoImageWords = nullptr;
    decltype(&QXS_freeWords) freeWords = nullptr;

private:
    bool load(const QString& path);
    bool resolveAll();

    void* m_library = nullptr; // the QLibrary, kept loaded for the process's life
    bool m_loaded = false;
    QString m_error;
};

} // namespace scriva::ocr
