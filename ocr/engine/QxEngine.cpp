// The recognition engine library on Tesseract: one TessBaseAPI per handle,
// recognised lines handed back as a list of fields. Closed engines are kept in
// a small pool so that the program's "start before every recognition" costs a
// cheap re-initialisation instead of reading the models again.
//
// Every recognition runs on one thread: callers recognise pages in parallel,
// one engine per thread, and Tesseract's own OpenMP teams only fight those
// (and each other) for the cores, several times slower in total.

#include "QxApi.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

// The OpenMP runtime Tesseract was built with, when it was: weak, so that the
// library also loads with a Tesseract built without OpenMP (then null).
extern "C" void omp_set_max_active_levels(int levels) __attribute__((weak));

namespace {

constexpr int kMaxSide = 32767;    // pixels per side an image may have
constexpr int kSourceDpi = 300;    // resolution the engine is told
constexpr int kOemDefault = 3;     // the engine mode the program passes
constexpr size_t kMinPoolSize = 2; // closed engines kept for re-use
constexpr int kImageTypeGrey = 0;  // 8-bit grey, the only type there is

struct Options
{
    int multiLine = 1;
    int rotate = 0;
    int imageType = kImageTypeGrey;
    int removeUnderline = 0; // recorded only: the models read underlined text
};

struct Engine
{
    std::unique_ptr<tesseract::TessBaseAPI> api;
    std::string key; // data folder, models and configuration it was started with
    Options options;
    int errorCode = qxerr::None;
    std::string errorMessage;
};

struct PooledApi
{
    std::unique_ptr<tesseract::TessBaseAPI> api;
    std::string key;
};

std::mutex g_mutex; // guards the language strings and the pool
std::string g_language1 = "chi_sim+eng";
std::string g_language2 = "eng";
// Made on the first close, so that its clean-up at exit runs before the
// engine's own caches (created by the first start) go away.
std::vector<PooledApi>* g_pool = nullptr;

void drainPool()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    delete g_pool; // ends every pooled engine
    g_pool = nullptr;
}

thread_local int t_errorCode = qxerr::None;
thread_local std::string t_errorMessage;

size_t poolLimit()
{
    return std::max<size_t>(kMinPoolSize, std::thread::hardware_concurrency());
}

void setError(Engine* engine, int code, const std::string& message)
{
    if (engine) {
        engine->errorCode = code;
        engine->errorMessage = message;
    } else {
        t_errorCode = code;
        t_errorMessage = message;
    }
}

void setException(void* handle, const char* what)
{
    setError(static_cast<Engine*>(handle), qxerr::Exception,
             std::string("engine exception: ") + (what ? what : "unknown"));
}

void copyTruncated(char* buffer, int size, const std::string& text)
{
    if (!buffer || size <= 0)
        return;
    const size_t n = std::min(text.size(), size_t(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

bool fileExists(const char* path)
{
    struct stat st;
    return path && *path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

std::string firstModel(const std::string& languages)
{
    return languages.substr(0, languages.find('+'));
}

std::string languageString(int language)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return language == 1 ? g_language1 : g_language2;
}

// A closed engine started with the same key before, ready to use as it is
// (*ready), else any closed engine or a new one to be started.
std::unique_ptr<tesseract::TessBaseAPI> takePooled(const std::string& key, bool* ready)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    *ready = false;
    if (!g_pool || g_pool->empty())
        return std::make_unique<tesseract::TessBaseAPI>();
    auto same = std::find_if(g_pool->begin(), g_pool->end(),
                             [&key](const PooledApi& p) { return p.key == key; });
    *ready = same != g_pool->end();
    auto it = *ready ? same : g_pool->begin();
    auto api = std::move(it->api);
    g_pool->erase(it);
    return api;
}

void returnToPool(std::unique_ptr<tesseract::TessBaseAPI> api, const std::string& key)
{
    api->Clear();
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_pool) {
        g_pool = new std::vector<PooledApi>;
        std::atexit(drainPool);
    }
    g_pool->push_back({std::move(api), key});
    if (g_pool->size() > poolLimit())
        g_pool->erase(g_pool->begin());
}

bool hasModel(const tesseract::TessBaseAPI& api, const std::string& model)
{
    std::vector<std::string> loaded;
    api.GetLoadedLanguagesAsVector(&loaded);
    return std::find(loaded.begin(), loaded.end(), model) != loaded.end();
}

bool initEngine(tesseract::TessBaseAPI& api, const char* dir, const std::string& languages,
                const char* configFile)
{
    // The engine's own diagnostics would land on the program's stderr; its
    // failures reach the caller as this library's errors instead.
    api.SetVariable("debug_file", "/dev/null");
    char* configs[1] = {const_cast<char*>(configFile)};
    const int rc =
        api.Init(dir, languages.c_str(), tesseract::OcrEngineMode(kOemDefault),
                 configFile ? configs : nullptr, configFile ? 1 : 0, nullptr, nullptr, false);
    return rc == 0 && hasModel(api, firstModel(languages));
}

int startEngine(void** handle, const char* dataDir, const char* configFile, int language)
{
    if (handle)
        *handle = nullptr;
    if (!handle || (language != 1 && language != 2)) {
        setError(nullptr, qxerr::BadArgument, "bad start arguments");
        return 0;
    }
    const std::string languages = languageString(language);
    const bool withConfig = fileExists(configFile);
    const char* dir = dataDir && *dataDir ? dataDir : nullptr;
    const std::string key =
        std::string(dir ? dir : "") + '\n' + languages + '\n' + (withConfig ? configFile : "");
    bool ready = false;
    auto api = takePooled(key, &ready);
    if (ready) {
        // Same models, folder and parameters: starting again would only forget
        // what the page classifier learnt (and, without a folder, reload everything).
        api->ClearAdaptiveClassifier();
    } else if (!initEngine(*api, dir, languages, withConfig ? configFile : nullptr)) {
        api->End();
        setError(nullptr, qxerr::StartFailed,
                 "cannot load '" + languages + "' from '" +
                     (dir ? std::string(dir) : std::string("the default model folder")) + "'");
        return 0;
    }
    auto engine = std::make_unique<Engine>();
    engine->api = std::move(api);
    engine->key = key;
    *handle = engine.release();
    return 1;
}

bool validImage(const OcrImage* image)
{
    return image && image->rows && image->block && image->width > 0 && image->height > 0 &&
           image->left <= image->right && image->right < image->width &&
           image->top <= image->bottom && image->bottom < image->height;
}

// The rows as one block; rows the caller re-pointed are gathered into a copy.
const uint8_t* contiguousPixels(const OcrImage& image, std::vector<uint8_t>& copy)
{
    const size_t w = image.width;
    bool inPlace = true;
    for (size_t y = 0; y < image.height && inPlace; ++y)
        inPlace = image.rows[y] == image.block + y * w;
    if (inPlace)
        return image.block;
    copy.resize(w * image.height);
    for (size_t y = 0; y < image.height; ++y)
        std::memcpy(copy.data() + y * w, image.rows[y], w);
    return copy.data();
}

std::string trimLine(const char* text)
{
    std::string line = text ? text : "";
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

char* duplicate(const std::string& text)
{
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy)
        throw std::bad_alloc();
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void freeFields(BField* field)
{
    while (field) {
        BField* next = field->next;
        std::free(field->text);
        std::free(field);
        field = next;
    }
}

BField* newField(int index, const std::string& text, tesseract::ResultIterator& it)
{
    auto* field = static_cast<BField*>(std::calloc(1, sizeof(BField)));
    if (!field)
        throw std::bad_alloc();
    field->index = index;
    try {
        field->text = duplicate(text);
    } catch (...) {
        std::free(field);
        throw;
    }
    it.BoundingBox(tesseract::RIL_TEXTLINE, &field->left, &field->top, &field->right,
                   &field->bottom);
    field->confidence = int(std::lround(it.Confidence(tesseract::RIL_TEXTLINE)));
    return field;
}

bool isBlank(const std::string& line)
{
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

// One field per recognised text line; lines of nothing or only white space
// (what the models read into specks and rules) left out.
BField* collectLines(tesseract::TessBaseAPI& api)
{
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    BField* first = nullptr;
    BField** tail = &first;
    int index = 0;
    if (!it)
        return nullptr;
    try {
        do {
            std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            const std::string line = trimLine(raw.get());
            if (isBlank(line))
                continue;
            *tail = newField(index++, line, *it);
            tail = &(*tail)->next;
        } while (it->Next(tesseract::RIL_TEXTLINE));
    } catch (...) {
        freeFields(first);
        throw;
    }
    return first;
}

tesseract::PageSegMode pageMode(const Options& options, bool wholeImage)
{
    if (options.rotate)
        return tesseract::PSM_AUTO_OSD;
    if (wholeImage)
        return tesseract::PSM_AUTO;
    return options.multiLine ? tesseract::PSM_SINGLE_BLOCK : tesseract::PSM_SINGLE_LINE;
}

// OpenMP keeps these settings per thread, and the environment's (OMP_NUM_THREADS,
// OMP_THREAD_LIMIT) are read once when the runtime loads, which may be long
// before any engine starts: so the recognising thread is made single-threaded
// right before each recognition. No active parallel level at all: Tesseract's
// loops ask for a fixed number of threads, which a thread count of 1 would not
// limit.
void recognizeOnThisThreadOnly()
{
    if (omp_set_max_active_levels)
        omp_set_max_active_levels(0);
}

bool osdInstalled(tesseract::TessBaseAPI& api)
{
    const std::string path = std::string(api.GetDatapath()) + "/osd.traineddata";
    return fileExists(path.c_str());
}

void freeWords(OcrWord* word)
{
    while (word) {
        OcrWord* next = word->next;
        std::free(word->text);
        std::free(word);
        word = next;
    }
}

// The image row under the letters of the iterator's line, where the baseline
// crosses the middle of the line's box.
int lineBaseline(tesseract::ResultIterator& it, int left, int right, int bottom)
{
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!it.Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2))
        return bottom;
    if (x2 == x1)
        return (y1 + y2) / 2;
    const double middle = (left + right) / 2.0;
    return int(std::lround(y1 + (y2 - y1) * (middle - x1) / double(x2 - x1)));
}

OcrWord* newWord(int index, int line, const std::string& text, tesseract::ResultIterator& it)
{
    auto* word = static_cast<OcrWord*>(std::calloc(1, sizeof(OcrWord)));
    if (!word)
        throw std::bad_alloc();
    word->index = index;
    word->line = line;
    try {
        word->text = duplicate(text);
    } catch (...) {
        std::free(word);
        throw;
    }
    it.BoundingBox(tesseract::RIL_WORD, &word->left, &word->top, &word->right, &word->bottom);
    word->confidence = std::clamp(int(std::lround(it.Confidence(tesseract::RIL_WORD))), 0, 100);
    it.BoundingBox(tesseract::RIL_TEXTLINE, &word->lineLeft, &word->lineTop, &word->lineRight,
                   &word->lineBottom);
    word->baseline = lineBaseline(it, word->lineLeft, word->lineRight, word->lineBottom);
    // The engine's box of a word it read in pieces may reach past its line (whose box
    // is the union of the outlines on it): a word lies within its line.
    word->left = std::clamp(word->left, word->lineLeft, word->lineRight);
    word->right = std::clamp(word->right, word->left, word->lineRight);
    word->top = std::clamp(word->top, word->lineTop, word->lineBottom);
    word->bottom = std::clamp(word->bottom, word->top, word->lineBottom);
    return word;
}

// One entry per recognised word in reading order, its line counted from 0
// (lines that hold only white space are not counted).
OcrWord* collectWords(tesseract::TessBaseAPI& api)
{
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    OcrWord* first = nullptr;
    OcrWord** tail = &first;
    int index = 0;
    int line = -1;
    bool lineCounted = false;
    if (!it)
        return nullptr;
    try {
        do {
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE))
                lineCounted = false;
            std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_WORD));
            const std::string text = raw ? std::string(raw.get()) : std::string();
            if (text.empty() || isBlank(text))
                continue;
            if (!lineCounted) {
                ++line;
                lineCounted = true;
            }
            *tail = newWord(index++, line, text, *it);
            tail = &(*tail)->next;
        } while (it->Next(tesseract::RIL_WORD));
    } catch (...) {
        freeWords(first);
        throw;
    }
    return first;
}

// Recognises the image's readable part; false with the engine's error set.
bool runRecognition(Engine* engine, OcrImage* image, bool wholeImage)
{
    setError(engine, qxerr::None, std::string()); // no earlier failure is reported for this one
    tesseract::TessBaseAPI& api = *engine->api;
    std::vector<uint8_t> copy;
    api.SetImage(contiguousPixels(*image, copy), image->width, image->height, 1, image->width);
    api.SetRectangle(image->left, image->top, image->right - image->left + 1,
                     image->bottom - image->top + 1);
    api.SetSourceResolution(kSourceDpi);
    Options options = engine->options;
    if (options.rotate && !osdInstalled(api))
        options.rotate = 0;
    api.SetPageSegMode(pageMode(options, wholeImage));
    recognizeOnThisThreadOnly();
    if (api.Recognize(nullptr) != 0) {
        setError(engine, qxerr::RecognitionFailed, "recognition failed");
        return false;
    }
    return true;
}

int recognize(void* handle, OcrImage* image, BField** fields, bool wholeImage)
{
    auto* engine = static_cast<Engine*>(handle);
    if (!engine || !fields || !validImage(image)) {
        setError(engine, qxerr::BadArgument, "no engine, no image or an image out of shape");
        return 0;
    }
    *fields = nullptr;
    if (!runRecognition(engine, image, wholeImage))
        return 0;
    *fields = collectLines(*engine->api);
    return 1;
}

int recognizeWords(void* handle, OcrImage* image, OcrWord** words)
{
    auto* engine = static_cast<Engine*>(handle);
    if (words)
        *words = nullptr; // no list, not even an old one, after a refusal
    if (!engine || !words || !validImage(image)) {
        setError(engine, qxerr::BadArgument, "no engine, no image or an image out of shape");
        return 0;
    }
    *words = nullptr;
    if (!runRecognition(engine, image, true))
        return 0;
    *words = collectWords(*engine->api);
    return 1;
}

template <typename Body> int guarded(void* handle, Body body)
{
    try {
        return body();
    } catch (const std::exception& e) {
        setException(handle, e.what());
    } catch (...) {
        setException(handle, nullptr);
    }
    return 0;
}

template <typename Setter> int setOption(void* handle, Setter setter)
{
    return guarded(handle, [&] {
        auto* engine = static_cast<Engine*>(handle);
        if (!engine) {
            setError(nullptr, qxerr::BadArgument, "no engine");
            return 0;
        }
        setter(engine->options);
        return 1;
    });
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int
QX_StartOCR(void** handle, const char* dataDir, const char* configFile, int language, int mode)
{
    return guarded(nullptr, [&] { return startEngine(handle, dataDir, configFile, language); });
}

__attribute__((visibility("default"))) int QX_CloseOCR(void** handle)
{
    return guarded(nullptr, [&] {
        if (!handle || !*handle)
            return 0;
        std::unique_ptr<Engine> engine(static_cast<Engine*>(*handle));
        *handle = nullptr;
        returnToPool(std::move(engine->api), engine->key);
        return 1;
    });
}

__attribute__((visibility("default"))) int QX_allocImage(int, OcrImage** image, int width,
                                                         int height, int fill)
{
    return guarded(nullptr, [&] {
        if (!image)
            return 0;
        *image = nullptr;
        if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
            return 0;
        auto* img = static_cast<OcrImage*>(std::calloc(1, sizeof(OcrImage)));
        uint8_t** rows = static_cast<uint8_t**>(std::malloc(sizeof(uint8_t*) * size_t(height)));
        uint8_t* block = static_cast<uint8_t*>(std::malloc(size_t(width) * size_t(height)));
        if (!img || !rows || !block) {
            std::free(img), std::free(rows), std::free(block);
            return 0;
        }
        std::memset(block, fill & 0xFF, size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y)
            rows[y] = block + size_t(y) * size_t(width);
        *img = OcrImage{
            uint16_t(width),     uint16_t(height), 0, rows, block, 0, uint16_t(width - 1), 0,
            uint16_t(height - 1)};
        *image = img;
        return 1;
    });
}

__attribute__((visibility("default"))) int QX_freeImage(int, OcrImage** image)
{
    return guarded(nullptr, [&] {
        if (!image || !*image)
            return 0;
        std::free((*image)->block);
        std::free((*image)->rows);
        std::free(*image);
        *image = nullptr;
        return 1;
    });
}

__attribute__((visibility("default"))) int QX_DoImageOCR(void* handle, OcrImage* image,
                                                         BField** fields)
{
    return guarded(handle, [&] { return recognize(handle, image, fields, true); });
}

__attribute__((visibility("default"))) int QX_DoLineOCR(void* handle, OcrImage* image,
                                                        BField** fields, char*, int)
{
    return guarded(handle, [&] { return recognize(handle, image, fields, false); });
}

__attribute__((visibility("default"))) int QX_freeBField(void* handle, BField* first, int)
{
    return guarded(handle, [&] {
        freeFields(first);
        if (auto* engine = static_cast<Engine*>(handle))
            engine->api->Clear();
        return 1;
    });
}

__attribute__((visibility("default"))) int QX_EnableMultiLine(void* handle, int flag)
{
    return setOption(handle, [flag](Options& o) { o.multiLine = flag; });
}

__attribute__((visibility("default"))) int QX_EnableRotate(void* handle, int flag)
{
    return setOption(handle, [flag](Options& o) { o.rotate = flag; });
}

__attribute__((visibility("default"))) int QX_SetImgType(void* handle, int type)
{
    return setOption(handle, [type](Options& o) { o.imageType = type; });
}

__attribute__((visibility("default"))) int QX_RemoveUnderLine(void* handle, int flag)
{
    return setOption(handle, [flag](Options& o) { o.removeUnderline = flag; });
}

__attribute__((visibility("default"))) int QX_CodeConvert(void* handle, char* text, int)
{
    // Text is UTF-8 from the models to the program: nothing to convert.
    return handle && text ? 1 : 0;
}

__attribute__((visibility("default"))) int QX_GetLastErr(void* handle, char* buffer, int size)
{
    try {
        auto* engine = static_cast<Engine*>(handle);
        const int code = engine ? engine->errorCode : t_errorCode;
        if (code != qxerr::None)
            copyTruncated(buffer, size, engine ? engine->errorMessage : t_errorMessage);
        return code;
    } catch (...) {
        return qxerr::Exception;
    }
}

__attribute__((visibility("default"))) int QX_GetVersionString(char* buffer, int size)
{
    return guarded(nullptr, [&] {
        if (!buffer || size <= 0)
            return 0;
        copyTruncated(buffer, size, tesseract::TessBaseAPI::Version());
        return 1;
    });
}

__attribute__((visibility("default"))) int QXS_SetLanguages(const char* language1,
                                                            const char* language2)
{
    return guarded(nullptr, [&] {
        if (!language1 || !*language1 || !language2 || !*language2)
            return 0;
        std::lock_guard<std::mutex> lock(g_mutex);
        g_language1 = language1;
        g_language2 = language2;
        return 1;
    });
}

__attribute__((visibility("default"))) int QXS_DoImageWords(void* handle, OcrImage* image,
                                                            OcrWord** words)
{
    return guarded(handle, [&] { return recognizeWords(handle, image, words); });
}

__attribute__((visibility("default"))) int QXS_freeWords(void* handle, OcrWord* first)
{
    return guarded(handle, [&] {
        freeWords(first);
        if (auto* engine = static_cast<Engine*>(handle))
            engine->api->Clear();
        return 1;
    });
}

} // extern "C"
