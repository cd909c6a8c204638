#pragma once
// The one document of the program: the current image and its path, the list
// of browsed files, the eight-step undo history, the zoom of the image view,
// the active mouse tool with its lasso points and placed text, the busy state
// of the editing worker, and the recognised texts by image path. It opens and
// saves image files through one path each, asks to save edits, keeps the
// status bar up to date and answers the image commands and their states. The
// views come and go (the right area switches between image and capture view);
// the document outlives them. User-interface thread only. Emits
// statusPanesChanged when the status-bar texts change, pathChanged when the
// current path does and imageChanged when the current image is replaced.

#include "CommandTarget.h"
#include "DocumentHost.h"
#include "IWindowServices.h"
#include "TextInfo.h"
#include "UndoHistory.h"
#include "config/CommandIds.h"
#include "image/cximage/CxImage.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QWidget;

class IDocumentView;
class IImageView;

class CScrivaDoc : public QObject, public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int StatusAll = scriva::status::kAllPanes;
    static constexpr int StatusZoom = scriva::status::kZoomPane;
    static constexpr int StatusPaneCount = 5;
    static constexpr int ImageMode = scriva::mode::kImage;

    // Commands the document answers for (numbers shared with the language packs).
    enum Command : int {
        CmdCropTool = scriva::cmd::kCropTool,
        CmdHandTool = scriva::cmd::kHandTool,
        CmdLassoTool = scriva::cmd::kLassoTool,
        CmdPresetAreaTool = scriva::cmd::kPresetAreaTool,
        CmdTextTool = scriva::cmd::kTextTool,
        CmdRegionTextTool = scriva::cmd::kRegionWestern,
        CmdRegionTableTool = scriva::cmd::kRegionChinese,
        CmdZoomIn = scriva::cmd::kZoomIn,
        CmdZoomOut = scriva::cmd::kZoomOut,
        CmdActualSize = scriva::cmd::kActualSizeImage,
        CmdPreviousFile = scriva::cmd::kPreviousImage,
        CmdNextFile = scriva::cmd::kNextImage,
        CmdFirstFile = scriva::cmd::kFirstImage,
        CmdLastFile = scriva::cmd::kLastImage,
        CmdUndo = scriva::cmd::kUndo,
        CmdRedo = scriva::cmd::kRedo,
        CmdSendMail = scriva::cmd::kSendMail,
        CmdSave = scriva::cmd::kFileSave,
        CmdSaveAs = scriva::cmd::kFileSaveAs,
        CmdPrintSetup = scriva::cmd::kPrintSetup,
        CmdPrint = scriva::cmd::kPrint,
        CmdPrintPreview = scriva::cmd::kPrintPreview,
        CmdPrintAt96Dpi = scriva::cmd::kPrintAt96Dpi,
        CmdSaveCopyJpeg = scriva::cmd::kSaveCopyJpeg,
        CmdExportPdf = scriva::cmd::kExportPdf,
        CmdFirstEdit =
            scriva::cmd::kMirrorHorizontal, // 32778 ... 32791: editing commands of the worker
        CmdLastEdit = scriva::cmd::kRotateFree,
        CmdResize = scriva::cmd::kResize,
        CmdClearPresetArea = scriva::cmd::kClearPresetArea,
    };
    // Strings of the pack the document uses.
    enum String : int {
        StrDocument = scriva::str::kDocument,
        StrNoImageToMail = scriva::str::kNoImageToMail,
        StrAskToSave = scriva::str::kAskToSave,
        StrNoMailProgram = scriva::str::kNoMailProgram,
        StrChangedOnDisk = scriva::str::kChangedOnDisk,
        StrNotARegularFile = scriva::str::kNotARegularFile,
        StrSaveAsTitle = scriva::str::kSaveAsTitle,
        StrSaveCopyTitle = scriva::str::kSaveCopyTitle,
        StrFileNotWritten = scriva::str::kFileNotWritten,
    };
    static constexpr int kLassoCapacity = 8000; // points of one outline
    static constexpr int kLassoCountCap = 7998; // counted points while drawing
    static constexpr int kTextHitMargin = 5;    // pixels around placed text

    explicit CScrivaDoc(QObject* parent = nullptr);
    ~CScrivaDoc() override;

    // The windows around the document and their texts and boxes; neither is
    // owned, and both stay until ClearHost (or another SetHost).
    void SetHost(DocumentHost& host, IWindowServices& window);
    void ClearHost(); // back to the plain host: no texts, no boxes
    DocumentHost& Host() const { return *m_host; }
    IWindowServices& Window() const { return *m_window; }

    // ----- path and title
    const QString& PathName() const { return m_pathName; }
    QString Title() const; // file name of the path, or the default name
    void SetPathName(const QString& path, bool addToRecent = false);
    void SetDefaultTitle(const QString& title) { m_defaultTitle = title; }

    // ----- the current image
    // An image is present when it is valid.
    virtual bool HasImage() const;
    CxImage* GetImage() const { return m_image.get(); }
    // Installs a new current image (an edit's result): text placement ends,
    // the views repaint and the status follows. Record undo beforehand with
    // PushUndo.
    void SetImage(std::unique_ptr<CxImage> image);
    // Keeps the current image in the undo history before it changes.
    void PushUndo();
    const scriva::UndoHistory& Undo() const { return m_undo; }
    // The image differs from the one last opened or saved in place.
    bool IsModified() const { return HasImage() && m_undo.IsModified(); }
    bool OnUndo();
    bool OnRedo();

    // ----- opening and saving
    // File Open, the recent files, dropped files and the command line. False
    // (with a message for an unreadable file) when nothing was opened. A
    // folder, named pipe or device is refused with a message before it is
    // opened (reading one would wait for ever).
    bool OpenDocument(const QString& path);
    // Thumbnail clicks, next/previous, recognition. An empty path clears the
    // document; a path of no image type is ignored, a path that is no regular
    // file is refused with a message and changes nothing. Always true except when
    // the user's edits could not be saved and the open was called off.
    bool OpenPath(const QString& path);
    // Asks to save edits before they are dropped; false keeps everything
    // (the open, close or switch is called off).
    virtual bool SaveModified();
    // Save (replace with a path) and Save as (no path): false on cancel or failure.
    bool DoSave(const QString& path, bool replace);
    // Writes the current image to the path in the format of its extension
    // ("tmp" writes BMP), or the PDF export when the last prompt chose PDF.
    bool OnSaveDocument(const QString& path);
    // The type chosen in the last file-name prompt; consumed by the next save.
    int ChosenType() const { return m_chosenType; }
    void SetChosenType(int type) { m_chosenType = type; }
    // The PDF export of the selected thumbnails (false on failure).
    void SetPdfExporter(std::function<bool(const QString&)> exporter)
    {
        m_pdfExporter = std::move(exporter);
    }
    // The mail program: sends a file as an attachment (xdg-email by default).
    void SetMailProgram(const QString& program) { m_mailProgram = program; }

    // ----- zoom
    float Zoom() const { return m_zoom; }
    void SetZoom(float zoom);
    bool ZoomIn();
    bool ZoomOut();
    void FitZoom();

    // ----- mouse tools
    int Tool() const { return m_tool; }
    void SetTool(int tool) { m_tool = tool; }
    void ToggleTool(int id);
    void ResetTool();
    std::vector<CxPoint>& LassoPoints() { return m_lasso; }
    // A finished rectangle of the crop tool in image pixels: pushed to undo
    // and cropped when it lies on the image. False when nothing was cut.
    bool CropTo(const QRect& imageRect);
    // Keeps the inside of the lasso outline (white outside it, cut to its
    // bounding box). False with fewer than three points.
    bool LassoCrop();
    // Region recognition: the view hands over the rectangle of a region tool
    // it was pressed on (image pixels, top-down) with itself as the source of
    // the text's drag. The region tools are enabled only while a recogniser is set.
    using RegionRecognizer = std::function<void(QWidget* source, const QRect& imageRect)>;
    void SetRegionRecognizer(RegionRecognizer recognizer)
    {
        m_regionRecognizer = std::move(recognizer);
    }
    void RecognizeRegion(QWidget* source, const QRect& imageRect);

    // ----- text placement
    TextInfo& SharedTextInfo() { return m_textInfo; }
    bool TextPending() const { return m_textPending; }
    // The rendered text that follows the mouse; null when none.
    const QImage& TextImage() const { return m_textImage; }
    // Renders the shared text; false (tool ended) for an empty text.
    bool PrepareText();
    // Stamps the pending text with its top-left at an image point; earlier
    // placed text is lifted off first. Records undo.
    bool PlaceText(QPoint imagePoint);
    // Lifts placed text off again (before it is edited or moved).
    void LiftText();
    const QRect& TextHitRect() const { return m_textHit; }
    void TakeBackup();
    void ClearMarks();

    // ----- preset capture area (client rectangle, scroll and zoom of that time)
    struct PresetArea
    {
        QRect rect;
        QPoint scroll;
        float zoom = 1.0f;
    };
    const PresetArea& GetPresetArea() const { return m_presetArea; }
    void SetPresetArea(const PresetArea& area) { m_presetArea = area; }
    QPoint PresetOrigin() const { return m_presetOrigin; }
    void SetPresetOrigin(QPoint origin) { m_presetOrigin = origin; }

    // ----- browsed files, status, busy
    const QStringList& FileList() const { return m_fileList; }
    void SetFileList(const QStringList& paths) { m_fileList = paths; }
    void SetListPosition(int index, int count);
    // Rewrites the status-bar panes: 11 all of them, 12 the zoom pane only.
    // Nothing happens without a current image.
    void UpdateStatus(int what);
    // The editing worker owns the image while this is set.
    void SetWorkerBusy(bool busy) { m_workerBusy = busy; }
    bool IsBusy() const;
    bool ImageViewActive() const;

    // A command another part of the program carries out (editing, printing):
    // enabled by the document's image rules, run by `run`.
    void SetCommandHandler(int id, std::function<void()> run);

    // ----- views
    void AddView(IDocumentView* view);
    void RemoveView(IDocumentView* view);
    const std::vector<IDocumentView*>& Views() const { return m_views; }
    void updateAllViews(int hint);
    void SetImageView(IImageView* view) { m_imageView = view; }
    IImageView* ImageView() const { return m_imageView; }

    // Recognised text of each image, by full path, in path order.
    std::map<QString, QString>& RecognisedTexts() { return m_texts; }
    const std::map<QString, QString>& RecognisedTexts() const { return m_texts; }

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

signals:
    void statusPanesChanged(int what, const QStringList& texts);
    void pathChanged(const QString& path);
    void imageChanged();

private:
    bool imageCommandEnabled() const;
    std::optional<CommandState> toolState(int id) const;
    std::optional<CommandState> navigationState(int id) const;
    void afterOpen(const QString& path);
    // Says so and returns true when the path is a folder, pipe or device.
    bool refuseSpecialFile(const QString& path) const;
    void showRecognisedText(const QString& path);
    void listInThumbnails(const QString& path);
    // A copy joins the column; the document's own item stays the current one.
    void listCopyInThumbnails(const QString& path);
    void repaintImageView();
    // After an undo or redo step: marks cleared, views and status refreshed; true.
    bool historyStepped();
    bool saveCopyAsJpeg();
    bool exportPdf();
    void sendMail();
    void openNeighbour(bool next);
    QString saveProposal(bool replace) const;
    // What the file at the document's path was when it was opened or saved:
    // its identity, size and modification time.
    struct FileStamp
    {
        bool known = false;
        quint64 device = 0, inode = 0;
        qint64 size = 0, modifiedSec = 0, modifiedNsec = 0;
        bool operator==(const FileStamp& o) const
        {
            return known == o.known && device == o.device && inode == o.inode && size == o.size &&
                   modifiedSec == o.modifiedSec && modifiedNsec == o.modifiedNsec;
        }
    };
    static FileStamp stampOf(const QString& path);
    // Before the document's own file is replaced: when another program
    // changed it since it was opened or saved, the user decides. True when
    // the save may go on.
    bool mayReplace(const QString& path) const;
    // The box of a failed write: the file and the writer's reason.
    void writeFailed(const QString& path, const QString& writerText) const;
    void message(const QString& text) const;
    void messageId(int id) const;
    QString string(int id) const;

    DocumentHost* m_host;
    IWindowServices* m_window;
    QString m_pathName;
    FileStamp m_stamp; // of m_pathName
    QString m_defaultTitle;
    std::unique_ptr<CxImage> m_image;
    CxImage m_backup;
    scriva::UndoHistory m_undo;
    float m_zoom = 1.0f;
    int m_tool = 0;
    std::vector<CxPoint> m_lasso;
    TextInfo m_textInfo;
    QImage m_textImage;
    bool m_textPending = false;
    QRect m_textHit;
    PresetArea m_presetArea;
    QPoint m_presetOrigin;
    QStringList m_fileList;
    int m_listIndex = -1;
    int m_listCount = 0;
    int m_chosenType = 0;
    bool m_workerBusy = false;
    std::function<bool(const QString&)> m_pdfExporter;
    QString m_mailProgram = QStringLiteral("xdg-email");
    std::map<int, std::function<void()>> m_handlers;
    RegionRecognizer m_regionRecognizer;
    IImageView* m_imageView = nullptr;
    std::vector<IDocumentView*> m_views;
    std::map<QString, QString> m_texts;
};
