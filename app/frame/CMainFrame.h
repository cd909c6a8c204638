#pragma once
// The main window: menu bar, toolbar, five-pane status bar, the hidden search
// bar and the split panes (thumbnails and command form on the left, image or
// capture view over the text pane on the right). It owns the command router
// and the shared actions, handles the frame's own commands (switch the right
// area 1000, collapse the left column 32794, print modes 1046/1047) and keeps
// the print mode and the preset-area flag; it is the thumbnail column's hooks
// and the command router's window.
// User-interface thread only.

#include "app/commands/ActionRegistry.h"
#include "app/commands/CommandRouter.h"
#include "app/frame/FramePanes.h"
#include "app/frame/FrameServices.h"
#include "app/frame/MainMenus.h"
#include "app/frame/PaneSwitcher.h"
#include "app/frame/PhotoCommands.h"
#include "app/frame/PresenterCommands.h"
#include "app/frame/WindowPlacement.h"
#include "config/CommandIds.h"
#include "thumbs/ui/ThumbViewHooks.h"

#include <QMainWindow>
#include <memory>

class FrameDocumentHost;
class FrameOcrHooks;
class MainStatusBar;
class MainToolBar;
class RecognitionCommands;
class SearchBar;

class CMainFrame : public QMainWindow,
                   public ICommandTarget,
                   private ThumbViewHooks,
                   private CommandRouter::Window
{
    Q_OBJECT
public:
    CMainFrame(FrameServices& services, CScrivaDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // False when a bar or resource the window needs could not be made.
    bool IsCreated() const { return m_created; }

    int RightAreaMode() const { return m_switcher->Mode(); }
    bool SwitchRightPane() { return m_switcher->SwitchRightPane(); }
    void PostSwitchRightPane() { m_switcher->PostSwitchRightPane(); }
    bool IsSwitching() const { return m_switcher->IsSwitching(); }
    void ShowResultPane(bool show);
    int UpdateLeftColumnWidth(bool apply);
    void RefreshThumbnails();
    bool IsLeftColumnCollapsed() const { return m_panes->LeftColumnCollapsed(); }
    int PrintMode() const { return m_printMode; }
    bool PresetAreaFlag() const { return m_presetArea; }
    void SetPresetAreaFlag(bool on) { m_presetArea = on; }

    // Puts the window where an earlier run left it (brought onto an attached
    // screen when it would open off every one) and gives the panes their saved
    // sizes; true when it is to open maximised. Called before it is shown.
    bool RestorePlacement(const WindowPlacement& saved);
    // Where the window and its panes are now; kept when the window closes.
    WindowPlacement CurrentPlacement() const;

    CommandRouter& router() { return *m_router; }
    ActionRegistry& actions() { return *m_actions; }
    FramePanes& panes() { return *m_panes; }
    PaneSwitcher& switcher() { return *m_switcher; }
    PhotoCommands& photos() { return *m_photos; }
    PresenterCommands& presenter() { return *m_presenter; }
    CScrivaDoc& document() { return m_doc; }
    CThumbView* thumbView() const { return m_panes->thumbView(); }
    CScrivaView* imageView() const { return m_panes->imageView(); }
    CVideoView* videoView() const { return m_panes->videoView(); }
    CRecognizeView* recognizeView() const { return m_panes->recognizeView(); }
    CLeftFormView* leftForm() const { return m_panes->leftForm(); }
    QWidget* activeView() const { return m_panes->activeView(); }
    void setActiveView(QWidget* view) { m_panes->setActiveView(view); }
    QMenu* recentFileMenu() const { return m_menus.recentFileMenu(); }
    MainToolBar* toolBar() const { return m_toolBar; }
    MainStatusBar* statusBarPanes() const { return m_statusBar; }
    SearchBar* searchBar() const { return m_searchBar; }
    RecognitionCommands* recognition() const { return m_recognition; }

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class FrameOcrHooks; // reads the listed files and the document

    // The thumbnail column's hooks.
    bool OpenPath(const QString& path) override;
    QMenu* ContextMenu(QWidget* owner) override;
    bool ImageOperationRunning() const override;
    void ShowItemText(const QString& path) override;
    // The router's window: the active view, and the printing view made active
    // before the print commands.
    ICommandTarget* ActiveView() const override;
    void BeforeCommand(int id) override;

    bool createBars();
    void createPanes();
    void wireThumbnails();
    void wireRouting();
    void updateTitle();
    void onFocusChanged(QWidget* now);
    ICommandTarget* rightViewTarget() const;
    void createRecognition();

    FrameServices& m_services; // never owned
    CScrivaDoc& m_doc;
    std::unique_ptr<FrameDocumentHost> m_docHost; // the document's, while the frame lives
    CommandRouter* m_router;
    ActionRegistry* m_actions;
    MainMenus m_menus;
    MainToolBar* m_toolBar = nullptr;
    MainStatusBar* m_statusBar = nullptr;
    SearchBar* m_searchBar = nullptr;
    RecognitionCommands* m_recognition = nullptr;
    std::unique_ptr<FrameOcrHooks> m_ocrHooks; // what the recognition commands ask of the frame
    QStringList m_listedFiles; // every file listed in the thumbnails, for "Show all"
    std::unique_ptr<FramePanes> m_panes;
    PaneSwitcher* m_switcher = nullptr;
    PhotoCommands* m_photos = nullptr;
    PresenterCommands* m_presenter = nullptr;
    int m_printMode = scriva::mode::kPrintFitToPage;
    bool m_presetArea = false;
    // Panes follow the creation rules, or the sizes of an earlier run, until the
    // user sizes them (or the text pane is opened or closed).
    enum class PaneSizing { Rules, Restored, User };
    PaneSizing m_sizing = PaneSizing::Rules;
    void setSizing(PaneSizing sizing);
    bool m_created = false;
    QMenu* m_thumbMenu = nullptr; // the thumbnail column's context menu, made on first use
};
