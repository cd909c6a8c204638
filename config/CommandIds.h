#pragma once
// Every number the program shares with its language packs and its posted
// events, named once: command ids (menus, toolbars, buttons), string ids,
// message codes, camera button codes, right-area modes, dialog and control
// ids, bitmap and cursor ids and status-bar indicators. The numbers are the
// contract with the packs and must not change. Plain constants; any thread may use them. New code
// adds its id here instead of writing the number.

#include <array>

namespace scriva {

// Commands: menu items, toolbar buttons, left-column buttons and keys.
namespace cmd {
// The framework's file commands.
constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileSave = 57603;
constexpr int kFileSaveAs = 57604;
constexpr int kPrintSetup = 57606;
constexpr int kPrint = 57607;
constexpr int kPrintDirect = 57608;
constexpr int kPrintPreview = 57609;
constexpr int kFirstRecentFile = 57616; // the recent-file entries are 57616 to 57619
constexpr int kRecentFileCount = 4;
constexpr int kAbout = 57664;
constexpr int kExit = 57665;

// The main frame and its left column.
constexpr int kSwitchRightArea = 1000;
constexpr int kBrowseFolder = 1019;
constexpr int kPrintFit = 1046;         // print mode: fit to page
constexpr int kPrintActual = 1047;      // print mode: actual size
constexpr int kPrintFromPreview = 1043; // the preview's print button: print with the dialog
constexpr int kPreviewLandscape = 1050;
constexpr int kPreviewPortrait = 1051;
constexpr int kCaptureSettings = 32792;
constexpr int kToggleLeftColumn = 32794;
constexpr int kPrintAt96Dpi = 32804;
constexpr int kPrintCameraPicture = 32805; // the capture view's live picture
constexpr int kTakePhoto = 32807;
constexpr int kHelp = 32846;
constexpr int kClearRecentFiles = 32850;

// Image editing (the document's worker).
constexpr int kMirrorHorizontal = 32778;
constexpr int kFlipVertical = 32779;
constexpr int kRotateLeft90 = 32780;
constexpr int kRotateRight90 = 32781;
constexpr int kBrighter = 32782;
constexpr int kDarker = 32783;
constexpr int kMoreContrast = 32784;
constexpr int kLessContrast = 32785;
constexpr int kSaturate = 32786;
constexpr int kDesaturate = 32787;
constexpr int kInvert = 32788;
constexpr int kToGray = 32789;
constexpr int kBlackAndWhite = 32790;
constexpr int kRotateFree = 32791;
constexpr int kResize = 32796;
// Page looks: even light and white paper in colour, in grey, or black and white.
constexpr int kLookDocument = 32890;
constexpr int kLookGrey = 32891;
constexpr int kLookBlackWhite = 32892;
constexpr int kExportPdf = 32877;
constexpr int kExportSearchablePdf = 32894; // the selected thumbnails with their text

// Zoom, shared by the image view and the capture view.
constexpr int kZoomOut = 32793;
constexpr int kActualSizeImage = 32795;
constexpr int kZoomIn = 32799;
constexpr int kFit = 32861;
constexpr int kActualSize = 32862;

// The capture view.
constexpr int kDeviceProperties = 32815;
constexpr int kStartAutoCapture = 32855;
constexpr int kStopAutoCapture = 32856;

// Presenter mode (32910-32939): the live picture alone, full screen.
constexpr int kPresenterMode = 32910;   // enter and leave (F11)
constexpr int kPresenterFreeze = 32911; // hold the picture while the camera runs (Space)
constexpr int kPresenterTurn = 32912;   // turn the live picture a quarter clockwise
constexpr int kPresenterBeside = 32913; // the chosen photo beside the live picture
// Drawing over the presented picture.
constexpr int kPresenterPen = 32925;         // draw with the pen (P; again: the mouse pans)
constexpr int kPresenterHighlighter = 32926; // draw with the highlighter (H)
constexpr int kPresenterColour = 32927;      // the drawing tool's next colour (C)
constexpr int kPresenterUndoStroke = 32928;  // take back the last stroke (Ctrl+Z)
constexpr int kPresenterClearInk = 32929;    // remove the whole drawing (Delete)
constexpr int kPresenterSaveInk = 32930;     // save the picture with the drawing (Ctrl+S)

// Text recognition.
constexpr int kRecognizeWestern = 32870; // the selected thumbnails, language code 2
constexpr int kRecognizeChinese = 32872; // the selected thumbnails, language code 1
constexpr int kShowSearchBar = 32873;
constexpr int kSaveText = 32874;      // as a .txt, .doc or .xls file
constexpr int kRegionWestern = 32875; // the region tool, language code 2
constexpr int kRegionChinese = 32876; // the region tool, language code 1
constexpr int kSaveTextAsWord = 32879;

// The thumbnail column (its context menu and keys).
constexpr int kDeleteThumbnails = 32800;
constexpr int kRebuildThumbnails = 32801;
constexpr int kClearThumbnails = 32847;
// Programs and pages outside the program.
constexpr int kVideoRecorder = 32858;
constexpr int kWebPage = 32860;
constexpr int kPaint = 32868;
// The image document and its view: tools, history, files, mail.
constexpr int kCropTool = 32775;
constexpr int kTextTool = 32857;
constexpr int kHandTool = 32797;
constexpr int kLassoTool = 32859;
constexpr int kPresetAreaTool = 32864;
constexpr int kClearPresetArea = 32867;
constexpr int kPreviousImage = 32851;
constexpr int kNextImage = 32852;
constexpr int kFirstImage = 32853;
constexpr int kLastImage = 32854;
constexpr int kUndo = 57643;
constexpr int kRedo = 57644;
constexpr int kSendMail = 57612;
constexpr int kSaveCopyJpeg = 32878;
// The language commands (32808, 32809, 32866, 32880-32887) are in the
// language table, config/Languages.h.
} // namespace cmd

// Strings of the language pack.
namespace str {
constexpr int kDocument = 128; // "program name\ndefault document name"
constexpr int kBoxTitle = 57344;
constexpr int kSaveAsTitle = 61441;   // the save dialog when the image gets a new name
constexpr int kSaveCopyTitle = 61444; // the save dialog when a copy is written
constexpr int kBrowseTitle = 61447;
constexpr int kCaptureFailed = 61448;
constexpr int kNoImageHere = 61453;        // image mode without an image
constexpr int kNoPhotoHere = 61456;        // photo asked for in image mode
constexpr int kNotInImageMode = 61458;     // image command outside image mode
constexpr int kThumbnailsBuilding = 61452; // a delete or export while thumbnails are built
constexpr int kPreviewFailed = 61705;
constexpr int kNotRecognised = 61824;    // a file or region without recognised text
constexpr int kSizeTooSmall = 61800;     // resize: a side under one pixel
constexpr int kRotationNoMemory = 61801; // free rotation out of memory: the program ends
constexpr int kConfirmDelete = 61802;    // Yes: files too, No: list only, Cancel
constexpr int kNoImageToMail = 61449;
constexpr int kAskToSave = 61460;      // a changed image: save it first?
constexpr int kPresetQuestion = 61818; // keep the drawn area for the photos?
constexpr int kNoMailProgram = 62006;
constexpr int kAlreadyRunning = 61804;
constexpr int kRestartForLanguage = 61459; // restart now in the chosen language?
constexpr int kNoPhoto = 61806;            // no frame held, or it could not be kept
constexpr int kReplacingPhoto = 61829;     // the existing file will be replaced
// Presenter mode (62320-62369).
constexpr int kNoPhotoBeside = 62320;        // no thumbnail chosen (or readable) to show beside
constexpr int kInkColourNames = 62350;       // red, blue, green, black, yellow (five ids)
constexpr int kReplacePhotoQuestion = 61830; // follows the file name
constexpr int kUnusableCharacters = 62003;   // semicolons, line breaks, separators, ".."
// Message-box buttons, in this order.
constexpr int kButtonYes = 61808;
constexpr int kButtonNo = 61809;
constexpr int kButtonOk = 61810;
constexpr int kButtonCancel = 61811;
constexpr int kButtonRetry = 61812;
constexpr int kButtonIgnore = 61813;
constexpr int kButtonAbort = 61814;
constexpr int kButtonClose = 61815;
constexpr int kButtonHelp = 61816;
constexpr int kImageOperationRunning = 61817;
// Added by this program: refusals and export reports ("%1 to %2" ranges).
constexpr int kIntegerOutOfRange = 62001;
constexpr int kNumberOutOfRange = 62002;
constexpr int kNothingToExport = 62004;
constexpr int kFileNotWritten = 62005; // followed by the path and the reason
constexpr int kChangedOnDisk =
    62020; // another program changed the file: replace it? (path follows)
constexpr int kSearchablePdfTitle = 62240;     // the searchable PDF's language question
constexpr int kSearchablePdfLanguage = 62241;  // its label
constexpr int kLanguageChineseEnglish = 62242; // recognition language code 1
constexpr int kLanguageWestern = 62243;        // recognition language code 2
constexpr int kNotARegularFile = 62040;        // %1 a folder, pipe or device asked to be opened
// %1 camera frames that could not be decoded and were left out of the picture
constexpr int kDamagedFramesDropped = 62230;
// Names of the main window's parts for assistive technology (screen readers).
constexpr int kNameThumbnails = 62370;
constexpr int kNameImageView = 62371;
constexpr int kNameCameraView = 62372;
constexpr int kNameTextPane = 62373;
constexpr int kNameMenuBar = 62374;
constexpr int kNameToolBar = 62375;
constexpr int kNameCommandButtons = 62376;
// ... and of the text tool's controls that have no label of their own.
constexpr int kNameStampText = 62377;
constexpr int kNameBoxOpacity = 62378;
constexpr int kNameBoxRounding = 62379;
// ... and of the up and down arrows beside a number.
constexpr int kNameIncrease = 62380;
constexpr int kNameDecrease = 62381;
// Names of the page looks, in the order of their settings value: as taken,
// document, grey, black and white.
constexpr int kLookNames = 62260;
constexpr int kLookNameCount = 4;
// %1 the photo's file name, %2 the page look's name, %3 why it could not be
// applied: the photo was saved as taken.
constexpr int kLookNotApplied = 62264;
// Names of the auto-capture modes, in the order of their settings value: off,
// at an interval, when the page changes.
constexpr int kAutoModeNames = 62300;
constexpr int kAutoModeCount = 3;
// What hands-free capture shows on the live picture.
constexpr int kWatchWaiting = 62303;   // nothing new under the camera
constexpr int kWatchHoldStill = 62304; // something moves, or a new page settles
constexpr int kWatchHandAway = 62305;  // still, but something reaches in from the edge
constexpr int kWatchTaken = 62306;     // %1 the photo's file name
// Dialog texts are stored under dialog * kDialogScale + control (the title under control 0).
constexpr int kDialogScale = 10000;
constexpr int DialogText(int dialog, int control = 0)
{
    return dialog * kDialogScale + control;
}
} // namespace str

// Messages posted to the application object from any thread.
namespace msg {
constexpr int kButton = 0x7E8;   // a camera button; wParam = code, lParam must be 0
constexpr int kEditDone = 0x7E9; // the editing worker ended; wParam = command id
} // namespace msg

// Camera buttons: the code a button message carries (its wParam's low byte).
namespace button {
constexpr int kZoomOut = 0x02;
constexpr int kZoomIn = 0x04;
constexpr int kPrevious = 0x08;   // the previous image
constexpr int kNext = 0x10;       // the next image
constexpr int kSwitchArea = 0x20; // image view <-> capture view
constexpr int kPhoto = 0x40;      // the snapshot button (also the camera key of the input node)
constexpr int kPhoto2 = 0x41;
} // namespace button

// Right-area modes: the form id of the view that fills the right area.
namespace mode {
constexpr int kImage = 101;   // the image view
constexpr int kCapture = 154; // the capture view
// Print modes of the main frame.
constexpr int kPrintFitToPage = 94;
constexpr int kPrintActualSize = 96; // at 96 dots per inch
} // namespace mode

// Dialog templates, forms and their controls.
namespace form {
constexpr int kAbout = 100;
constexpr int kImageView = mode::kImage;
constexpr int kLeftColumn = 130;
constexpr int kCaptureSettings = 133;
constexpr int kCaptureView = mode::kCapture;
constexpr int kSearchBar = 181;
constexpr int kFreeRotation = 134;
constexpr int kResize = 135;
constexpr int kPrintPreview = 152;
constexpr int kRecognitionWait = 182;
constexpr int kWait = 183;
} // namespace form

namespace ctl {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kAboutLink = 1082;
constexpr int kSearch = 1083;
constexpr int kSearchEdit = 1084;
constexpr int kShowAll = 1085;
constexpr int kAboutVersion = 1087;
// Free rotation (134).
constexpr int kRotationAngle = 1024;
constexpr int kRotationKeepSize = 1030;
// Resize (135).
constexpr int kResizeByScale = 1052;
constexpr int kResizeScale = 1054;
constexpr int kResizeBySize = 1055;
constexpr int kResizeWidth = 1058;
constexpr int kResizeHeight = 1060;
constexpr int kResizeKeepRatio = 1061;
// Wait boxes: recognition (182) and editing (183).
constexpr int kRecognitionWaitText = 1086;
constexpr int kWaitText = 1088;
// Labels of edit fields (1101 and up, in field order).
constexpr int kFirstFieldLabel = 1101;
// Capture settings (133): hands-free capture, with their labels.
constexpr int kAutoCaptureMode = 1120;
constexpr int kPageSettle = 1121;
constexpr int kPageSensitivity = 1122;
constexpr int kAutoCaptureModeLabel = 1123;
constexpr int kPageSettleLabel = 1124;
constexpr int kPageSensitivityLabel = 1125;
constexpr int kPageSensitivityValue = 1126; // the slider's number
} // namespace ctl

// Menus, toolbars, bitmaps and cursors of the pack.
namespace res {
constexpr int kMainMenu = 128;
constexpr int kMainToolBar = 128;
constexpr int kToolBarDisabled = 161;
constexpr int kToolBarNormal = 162;
constexpr int kToolBarHot = 163;
constexpr int kPanCursor = 175;
constexpr int kThumbnailMenu = 155;  // its first popup is the context menu
constexpr int kMenuIcons = 168;      // the menu icon strip's button order
constexpr int kMenuIconBitmap = 170; // its 16-pixel images
} // namespace res

// Status-bar indicators (name, data size, dimensions, zoom, list position)
// and the status bar itself.
namespace status {
constexpr int kStatusBar = 59393;
constexpr std::array<int, 5> kIndicators = {59149, 59145, 59147, 59146, 59148};
// What CScrivaDoc::UpdateStatus rewrites.
constexpr int kAllPanes = 11;
constexpr int kZoomPane = 12;
} // namespace status

} // namespace scriva
