#pragma once
// The text-recognition commands of the program: recognise the selected
// thumbnails (32872 Chinese, 32870 Western) on a worker behind the wait
// dialog, the region tools (32876, 32875) whose rectangle is recognised and
// dragged into the text pane, saving the text (32874, 32879), and the search
// over the stored texts (32873 shows the bar, 1083 searches, 1085 shows all).
// It answers these commands in the frame's routing; what it needs of the
// windows around it comes through OcrHooks, its texts and boxes from the
// window services. User-interface thread only; the
// recognition job's workers touch no widget and no document state: its texts
// are taken when it has finished.

#include "config/CommandIds.h"
#include "image/CScrivaDoc.h"
#include "image/CommandTarget.h"
#include "ocr/COcrEngine.h"
#include "ocr/OcrSettings.h"

#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QVariantMap>

class CRecognizeView;
class CxImage;
class IWindowServices;
class QWidget;

// What the commands need of the windows around them. The main frame is one
// (FrameOcrHooks); tests give their own. Every member has a plain default:
// the default settings, no parent, no image view, nothing selected or shown,
// and the plain save dialog.
class OcrHooks
{
public:
    virtual ~OcrHooks() = default;

    virtual scriva::ocr::OcrSettings Settings() const; // read afresh at each use
    virtual QWidget* DialogParent() const { return nullptr; }
    virtual int RightAreaMode() const { return 0; }          // 101 image view, 154 capture view
    virtual QStringList SelectedPaths() const { return {}; } // selected thumbnails, in list order
    virtual QStringList AllFiles() const { return {}; }      // every file the document lists
    virtual const CxImage* Image() const { return nullptr; } // the document's current image
    virtual void SetTool(int /*tool*/) {}                    // the image view's mouse tool
    virtual CRecognizeView* Pane() const { return nullptr; }
    virtual void ShowResultPane(bool /*half*/) {}
    virtual void ShowSearchBar() {}                         // shown, its edit focused
    virtual QString SearchText() const { return {}; }       // the bar's edit 1084
    virtual void ShowFiles(const QStringList& /*paths*/) {} // the thumbnail list shows these
    virtual void OpenPath(const QString& /*path*/) {}       // the document opens it ("" = none)
    virtual void SetBusy(bool /*on*/) {}                    // the recognition worker runs
    // The save dialog: proposed path and filter list in, chosen path out
    // (empty: cancelled).
    virtual QString AskSavePath(const QString& proposal, const QStringList& filters);
};

class RecognitionCommands : public QObject, public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int CmdRecognizeChinese = scriva::cmd::kRecognizeChinese;
    static constexpr int CmdRecognizeWestern = scriva::cmd::kRecognizeWestern;
    static constexpr int CmdRegionChinese = scriva::cmd::kRegionChinese;
    static constexpr int CmdRegionWestern = scriva::cmd::kRegionWestern;
    static constexpr int CmdSaveText = scriva::cmd::kSaveText;
    static constexpr int CmdSaveTextWord = scriva::cmd::kSaveTextAsWord;
    static constexpr int CmdShowSearchBar = scriva::cmd::kShowSearchBar;
    static constexpr int CmdSearch = scriva::ctl::kSearch;
    static constexpr int CmdShowAll = scriva::ctl::kShowAll;
    static constexpr int kMaxDragLines = 100;

    // Neither the window nor the hooks are owned.
    RecognitionCommands(CScrivaDoc& doc, IWindowServices& window, OcrHooks& hooks,
                        QObject* parent = nullptr);
    ~RecognitionCommands() override;

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

    // Recognises the selected files with language code 1 or 2 behind the wait
    // dialog; returns when the job has ended and its texts are taken (TakeTexts).
    // Nothing selected: nothing happens.
    void RecognizeSelected(int language);
    // A recognition's texts (path -> text) join the document's, and the first
    // selected file's text is shown in the pane unless the pane is held.
    void TakeTexts(const QVariantMap& texts);
    bool IsRecognizing() const { return m_running; }
    // A region tool: the tool becomes active, its language is remembered and
    // the text pane opens.
    void ActivateRegionTool(int id);
    int RegionLanguage() const { return m_regionLanguage; }
    // Recognises a rectangle of the current image (image pixels, rows from the
    // top) with the region tool's language; a failure is shown in a box.
    bool RecognizeSelection(const QRect& imageRect, QString& text);
    // Recognises the rectangle and starts dragging its text from `source`.
    void DragRegionText(QWidget* source, const QRect& imageRect);
    // The text of the pane when it belongs to the selected item, else that item's stored text.
    bool SaveText(bool wordFile);
    void Search(const QString& needle);

    // Red text on a transparent ground, the size of its lines plus 5 pixels.
    static QPixmap MakeTextDragImage(const QWidget& window, const QString& text);

private:
    QString string(int id) const;
    // A box over the focused widget: information icon, else the error one.
    void showBox(const QString& text, const QString& caption, bool information);
    scriva::ocr::OcrSettings settings() const;
    bool imageViewShown() const;
    QString firstSelected() const;
    void showInPane(const QString& path, const QString& text);

    CScrivaDoc& m_doc;
    IWindowServices& m_window;
    OcrHooks& m_hooks;
    COcrEngine m_engine; // region recognition, on this thread
    int m_regionLanguage = scriva::ocr::kLanguageLatin;
    bool m_running = false;
};
