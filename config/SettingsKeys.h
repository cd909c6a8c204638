#pragma once
// Every section and key of the settings store, named once, with typed readers
// and writers over CConfigFile and the few values that need more than one
// read (the camera-id list, the photo folder, a page size). Free functions;
// callable from any thread, as the store itself is.

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class CConfigFile;

namespace scriva::settings {

// A key of the store: the section it lives in and its name.
struct Key
{
    const char* section;
    const char* name;
};

namespace section {
constexpr char kNormal[] = "NORMAL";
constexpr char kOcr[] = "OCR_INDENTIFY";
constexpr char kPageSize[] = "PAGE_SIZE"; // page name -> "height, width" in mm
constexpr char kSkin[] = "SKIN_PATH";
constexpr char kPhotos[] = "TAKE_PHOTOS_SET";
constexpr char kWindow[] = "MAIN_WINDOW"; // kept in the user's file only
} // namespace section

// [NORMAL]
constexpr Key kUrl{section::kNormal, "URL"};
constexpr Key kVersion{section::kNormal, "Version"};
constexpr Key kLanguage{section::kNormal, "language"};
constexpr Key kCameraIds{section::kNormal, "pidVid"}; // read through CameraIds()
constexpr Key kTempPath{section::kNormal, "tempPath"};
constexpr Key kDevcon{section::kNormal, "Devcon"}; // shipped for other systems; not read here
// Optional and not shipped: the video recorder to start when the program has
// none of its own beside it.
constexpr Key kRecorder{section::kNormal, "Recorder"};
// Presenter mode: the live picture turned clockwise by 0, 90, 180 or 270
// degrees (a camera mounted the other way round); missing: 0.
constexpr Key kPresenterTurn{section::kNormal, "presenterTurn"};

// [OCR_INDENTIFY]
constexpr Key kOcrConfigPath{section::kOcr, "ConfigPath"};
constexpr Key kOcrDataPath{section::kOcr, "DataPath"};
constexpr Key kOcrChineseModels{section::kOcr, "Lang1"};
constexpr Key kOcrLatinModels{section::kOcr, "Lang2"};

// [SKIN_PATH]
constexpr Key kSkinFolder{section::kSkin, "SkinPath"};
constexpr Key kSkinButtonNormal{section::kSkin, "btnNormal"};
constexpr Key kSkinButtonSelected{section::kSkin, "btnSelected"};
constexpr Key kSkinButtonHover{section::kSkin, "btnHover"};
constexpr Key kSkinButtonDisabled{section::kSkin, "btnDisabled"};
constexpr Key kSkinLeftFormBack{section::kSkin, "leftFormBack"};
constexpr Key kSkinToolBarBack{section::kSkin, "toolBarBack"};

// [TAKE_PHOTOS_SET]
constexpr Key kPhotoFolder{section::kPhotos, "savePath"}; // read through PhotoFolder()
constexpr Key kPhotoStem{section::kPhotos, "fileName"};
constexpr Key kPhotoFormat{section::kPhotos, "pictureFormat"};
constexpr Key kPageSizeName{section::kPhotos, "sizePicture"};
constexpr char kPresetPageName[] = "Preinstall"; // kPageSizeName's value for the preset area
constexpr Key kNamingRule{section::kPhotos, "nomenclature"}; // 0 date and time, 1 counter
constexpr Key kCounterNext{section::kPhotos, "initialValue"};
constexpr Key kCounterStep{section::kPhotos, "increment"};
constexpr Key kImageDirection{section::kPhotos, "imageDirection"};
constexpr Key kAutoCaptureSeconds{section::kPhotos, "interval"};
constexpr Key kThumbnailCount{section::kPhotos, "thumbnailNum"};
constexpr Key kScanTempImage{section::kPhotos, "scanTempImg"};
// 1 (also when missing): photos straightened below a degree; 0: to the nearest degree.
constexpr Key kFineStraighten{section::kPhotos, "fineStraighten"};
// Look of photos: 0 as taken (also when missing or unknown), 1 document, 2 grey,
// 3 black and white.
constexpr Key kPageLook{section::kPhotos, "pageLook"};
// What the auto-capture commands start: 0 nothing, 1 a photo at each interval
// (also when missing), 2 a photo each time a new page lies still.
constexpr Key kAutoCaptureMode{section::kPhotos, "autoCaptureMode"};
// Hands-free capture: how long a new page lies still before its photo (ms,
// 0 when missing: the default), and how small a change counts as a new page
// (1 whole pages ... 10 a few words; 0 when missing: the default).
constexpr Key kPageSettleMs{section::kPhotos, "pageSettleMs"};
constexpr Key kPageSensitivity{section::kPhotos, "pageSensitivity"};
// Per-language lists of [TAKE_PHOTOS_SET]: "<language code><suffix>".
constexpr char kPageNamesSuffix[] = "Page";
constexpr char kImageDirectionsSuffix[] = "ImgDir";
QString LanguageKeyName(const QString& languageCode, const char* suffix);

// [MAIN_WINDOW]: where the main window was when it last closed. Written by the
// program into the user's settings; never shipped (a first start opens
// maximised with the panes' own sizes).
constexpr Key kWindowGeometry{section::kWindow, "geometry"}; // "x, y, width, height", not maximised
constexpr Key kWindowMaximized{section::kWindow, "maximized"};   // 1 maximised, 0 not
constexpr Key kWindowScreen{section::kWindow, "screen"};         // the screen's name
constexpr Key kWindowLeftColumn{section::kWindow, "leftColumn"}; // width of the left column
constexpr Key kWindowTextRow{section::kWindow, "textRow"}; // height of the text pane, 0 closed
constexpr Key kWindowKeys[] = {kWindowGeometry, kWindowMaximized, kWindowScreen, kWindowLeftColumn,
                               kWindowTextRow};

// Every fixed key above that the shipped file holds, for checks of a settings file.
constexpr Key kAllKeys[] = {kUrl,
                            kVersion,
                            kLanguage,
                            kCameraIds,
                            kTempPath,
                            kDevcon,
                            kPresenterTurn,
                            kOcrConfigPath,
                            kOcrDataPath,
                            kOcrChineseModels,
                            kOcrLatinModels,
                            kSkinFolder,
                            kSkinButtonNormal,
                            kSkinButtonSelected,
                            kSkinButtonHover,
                            kSkinButtonDisabled,
                            kSkinLeftFormBack,
                            kSkinToolBarBack,
                            kPhotoFolder,
                            kPhotoStem,
                            kPhotoFormat,
                            kPageSizeName,
                            kNamingRule,
                            kCounterNext,
                            kCounterStep,
                            kImageDirection,
                            kAutoCaptureSeconds,
                            kThumbnailCount,
                            kScanTempImage,
                            kFineStraighten,
                            kPageLook,
                            kAutoCaptureMode,
                            kPageSettleMs,
                            kPageSensitivity};

// Typed access. A missing key reads as an empty string or 0, as the store's
// own readers do. Writers refuse what CConfigFile::SetString refuses.
QString ReadString(const CConfigFile& config, Key key);
int32_t ReadInt(const CConfigFile& config, Key key);
bool WriteString(CConfigFile& config, Key key, const QString& value);
bool WriteInt(CConfigFile& config, Key key, int32_t value);
// Hands out the number that the settings file at path holds under key now and stores
// next(number) in its place, in the file and in config, all under the file's lock (see
// CConfigFile::UpdateInFile). False with the reason when the file cannot be locked, read
// or written; nothing changes then.
bool TakeNumber(CConfigFile& config, const QString& path, Key key,
                const std::function<int32_t(int32_t)>& next, int32_t& taken,
                QString* error = nullptr);

// A list of whole numbers ("10, -4, 300"); tokens that are not numbers are
// left out. WriteInts writes them joined by ", ".
QList<int> ReadInts(const CConfigFile& config, Key key);
bool WriteInts(CConfigFile& config, Key key, const QList<int>& values);

// The supported cameras' ids ("usb\vid_xxxx&pid_yyyy"), in the order given.
QStringList CameraIds(const CConfigFile& config);
// The photo folder, resolved under the documents folder.
QString PhotoFolder(const CConfigFile& config);

// A page size of [PAGE_SIZE] by name, height and width in mm ("All" is 0, 0:
// the whole picture); what the entry lacks reads as 0. True only when the
// entry exists and holds exactly two tokens.
bool ReadPageSize(const CConfigFile& config, const QString& name, int& heightMm, int& widthMm);

} // namespace scriva::settings
