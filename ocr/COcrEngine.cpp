#include "COcrEngine.h"

#include "QxLibrary.h"
#include "image/cximage/CxImage.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <vector>

using namespace scriva::ocr;

namespace {

constexpr int kEngineMode = 3;  // the engine's default recognition mode
constexpr int kFillWhite = 255; // new engine images start white
constexpr int kErrorSize = 512; // bytes of an engine error message
constexpr int kLineBufferSize = 4096;
constexpr int kNoLibraryCode = -1; // GetEngineError's code when the library is missing
constexpr int kCodePageSimplified = 936;
constexpr int kCodePageTraditional = 950;
constexpr int kOptionMultiLine = 1;
constexpr int kOptionRotate = 0;
constexpr int kImageTypeGrey = 0;
constexpr int kOptionRemoveUnderline = 1;
constexpr RGBQUAD kPaperWhite{255, 255, 255, 0};

// 8 bits per pixel with the palette i -> (i, i, i): bytes are grey values already.
bool isLinearGrey(const CxImage& image)
{
    if (image.GetBpp() != 8 || !image.GetPalette() || image.GetNumColors() != 256)
        return false;
    const RGBQUAD* pal = image.GetPalette();
    for (int i = 0; i < 256; ++i) {
        if (pal[i].rgbRed != i || pal[i].rgbGreen != i || pal[i].rgbBlue != i)
            return false;
    }
    return true;
}

} // namespace

COcrEngine::COcrEngine(const QxLibrary* library)
    : m_lib(library ? *library : QxLibrary::Shared()), m_settings(&OcrSettings::Defaults)
{
}

COcrEngine::~COcrEngine()
{
    freeImage();
    freeFields();
    close();
}

void COcrEngine::SetCodeMode(int mode)
{
    m_codeMode = mode;
    m_codePage = mode == kCodeModeTraditional ? kCodePageTraditional : kCodePageSimplified;
}

bool COcrEngine::Start(int language)
{
    // Results and image belong to the engine that made them: they go with it.
    freeFields();
    freeImage();
    close();
    if (!m_lib.IsLoaded())
        return false;
    const OcrSettings s = m_settings();
    const QString models1 =
        m_modelsOverride.isEmpty() ? Language1Models(s.language1, m_codeMode) : m_modelsOverride;
    const QString models2 = m_modelsOverride.isEmpty()
                                ? Language2Models(s.language2, s.interfaceCode)
                                : m_modelsOverride;
    m_lib.SetLanguages(models1.toUtf8().constData(), models2.toUtf8().constData());
    const QByteArray data = QFile::encodeName(s.dataPath);
    const QByteArray config = QFile::encodeName(s.configFile);
    if (!m_lib.StartOCR(&m_handle, data.constData(), config.constData(), language, kEngineMode))
        m_handle = nullptr;
    return m_handle != nullptr;
}

bool COcrEngine::prepareGrey(CxImage& image) const
{
    // Palettes decide what a pixel is: 1-bit, 4-bit, colour-mapped and
    // inverted images all become grey values, never raw indices.
    // Transparent parts are read as the paper they would be printed on, not
    // as whatever colour their pixels hold (often black).
    if (!image.IsValid() || !image.FlattenOn(kPaperWhite))
        return false;
    if (!isLinearGrey(image) && !image.ToGray())
        return false;
    return image.GetBpp() == 8;
}

bool COcrEngine::allocate(int width, int height)
{
    freeImage();
    m_lib.allocImage(0, &m_image, width, height, kFillWhite);
    if (m_image && m_image->rows)
        return true;
    freeImage();
    return false;
}

bool COcrEngine::copyWholeImage(CxImage& image)
{
    if (!m_handle || !prepareGrey(image))
        return false;
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    if (!allocate(w, h))
        return false;
    for (int y = 0; y < h; ++y)
        std::memcpy(m_image->rows[y], image.GetBits(uint32_t(h - 1 - y)), size_t(w));
    m_image->left = 0;
    m_image->top = 0;
    m_image->right = uint16_t(w - 1);
    m_image->bottom = uint16_t(h - 1);
    return true;
}

bool COcrEngine::RecognizeImage(CxImage& image)
{
    if (!copyWholeImage(image))
        return false;
    freeFields();
    return m_lib.DoImageOCR(m_handle, m_image, &m_fields) != 0;
}

bool COcrEngine::RecognizeWords(CxImage& image, PageWords& words)
{
    words.clear();
    freeFields();
    if (!copyWholeImage(image))
        return false;
    OcrWord* list = nullptr;
    if (!m_lib.DoImageWords(m_handle, m_image, &list))
        return false;
    for (const OcrWord* w = list; w; w = w->next) {
        std::vector<char> copy(w->text, w->text + std::strlen(w->text) + 1);
        m_lib.CodeConvert(m_handle, copy.data(), m_codeMode);
        RecognizedWord word;
        word.text = QString::fromUtf8(copy.data());
        word.box = QRect(QPoint(w->left, w->top), QPoint(w->right - 1, w->bottom - 1));
        word.confidence = w->confidence;
        word.line = w->line;
        word.lineBox =
            QRect(QPoint(w->lineLeft, w->lineTop), QPoint(w->lineRight - 1, w->lineBottom - 1));
        word.baseline = w->baseline;
        words.push_back(std::move(word));
    }
    m_lib.freeWords(m_handle, list);
    return true;
}

bool COcrEngine::RecognizeRegion(CxImage& image, int left, int top, int right, int bottom,
                                 QString& text)
{
    text.clear();
    if (!m_handle || !image.IsValid())
        return false;
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, w);
    bottom = std::min(bottom, h);
    if (right <= left || bottom <= top || !prepareGrey(image))
        return false;
    const int rw = right - left, rh = bottom - top;
    if (!allocate(rw, rh))
        return false;
    for (int k = 0; k < rh; ++k)
        std::memcpy(m_image->rows[k], image.GetBits(uint32_t(h - 1 - (top + k))) + left,
                    size_t(rw));
    m_image->left = 0;
    m_image->top = 0;
    m_image->right = uint16_t(rw - 1);
    m_image->bottom = uint16_t(rh - 1);
    m_lib.EnableMultiLine(m_handle, kOptionMultiLine);
    m_lib.EnableRotate(m_handle, kOptionRotate);
    m_lib.SetImgType(m_handle, kImageTypeGrey);
    m_lib.RemoveUnderLine(m_handle, kOptionRemoveUnderline);
    freeFields();
    char buffer[kLineBufferSize] = {};
    const bool ok = m_lib.DoLineOCR(m_handle, m_image, &m_fields, buffer, kLineBufferSize) != 0;
    text = AssembleText();
    return ok;
}

QString COcrEngine::AssembleText() const
{
    QString text;
    for (const BField* f = m_fields; f; f = f->next) {
        if (!f->text)
            continue;
        std::vector<char> copy(f->text, f->text + std::strlen(f->text) + 1);
        m_lib.CodeConvert(m_handle, copy.data(), m_codeMode);
        text += QString::fromUtf8(copy.data());
        text += QStringLiteral("\r\n");
    }
    return text;
}

void COcrEngine::GetEngineError(QString& message, int& code) const
{
    if (!m_lib.IsLoaded()) {
        message = m_lib.LoadError();
        code = kNoLibraryCode;
        return;
    }
    char buffer[kErrorSize] = {};
    std::strcpy(buffer, "unknown error.");
    code = m_lib.GetLastErr(m_handle, buffer, kErrorSize);
    message = QString::fromUtf8(buffer);
}

QString COcrEngine::EngineVersion()
{
    return QxLibrary::Shared().Version();
}

void COcrEngine::freeFields()
{
    if (m_fields && m_lib.IsLoaded())
        m_lib.freeBField(m_handle, m_fields, 0);
    m_fields = nullptr;
}

void COcrEngine::freeImage()
{
    if (m_image && m_lib.IsLoaded())
        m_lib.freeImage(0, &m_image);
    m_image = nullptr;
}

void COcrEngine::close()
{
    if (m_handle && m_lib.IsLoaded())
        m_lib.CloseOCR(&m_handle);
    m_handle = nullptr;
}
