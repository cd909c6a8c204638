#include "app/frame/CMainFrame.h"

#include "app/frame/CLeftFormView.h"
#include "app/frame/FrameDocumentHost.h"
#include "app/frame/FrameOcrHooks.h"
#include "app/frame/MainStatusBar.h"
#include "app/frame/MainToolBar.h"
#include "app/frame/SearchBar.h"
#include "app/widgets/CSkinButton.h"
#include "app/widgets/CSplitterWndEx.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CommandIds.h"
#include "image/CScrivaDoc.h"
#include "image/ui/CScrivaView.h"
#include "ocr/ui/CRecognizeView.h"
#include "ocr/ui/RecognitionCommands.h"
#include "thumbs/ui/CThumbView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int kPrintCommands[] = {scriva::cmd::kPrintAt96Dpi, scriva::cmd::kPrintSetup,
                                  scriva::cmd::kPrint, scriva::cmd::kPrintPreview};
} // namespace

CMainFrame::CMainFrame(FrameServices& services, CScrivaDoc& doc, QWidget* parent)
    : QMainWindow(parent), m_services(services), m_doc(doc), m_router(new CommandRouter(this)),
      m_actions(new ActionRegistry(
          *m_router, [this](int id) { return m_services.text(id); }, this))
{
    setObjectName(QStringLiteral("CMainFrame"));
    setDockOptions(dockOptions() | QMainWindow::AllowNestedDocks);
    // The window opens maximised; without a window manager to do that it
    // still covers the screen's free area.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    m_doc.SetDefaultTitle(m_services.text(scriva::str::kDocument).section(QLatin1Char('\n'), 1, 1));
    createPanes();
    m_created = createBars();
    createRecognition();
    wireRouting();
    m_docHost = std::make_unique<FrameDocumentHost>(*this, m_services);
    m_doc.SetHost(*m_docHost, m_services.Window());
    updateTitle();
    m_actions->refresh();
    m_actions->startIdleUpdates();
}

CMainFrame::~CMainFrame()
{
    // The panes go first, while everything they may still reach exists.
    disconnect(qApp, nullptr, this, nullptr);
    m_doc.ClearHost();
    m_doc.SetRegionRecognizer({});
    m_router->setWindow(nullptr);
    delete m_presenter; // its window reads the capture view's camera
    m_presenter = nullptr;
    delete m_switcher;
    delete takeCentralWidget();
}

bool CMainFrame::createBars()
{
    m_menus.Build(menuBar(), m_services.Menu(scriva::res::kMainMenu), *m_actions);

    m_toolBar = new MainToolBar(this);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    const bool toolbarOk =
        m_toolBar->Load(m_services.Toolbar(scriva::res::kMainToolBar), *m_actions);
    // Missing toolbar pictures only leave the buttons with their texts.
    m_toolBar->SetToolBarImages(m_services.Bitmap(scriva::res::kToolBarNormal),
                                m_services.Bitmap(scriva::res::kToolBarHot),
                                m_services.Bitmap(scriva::res::kToolBarDisabled));
    m_toolBar->LoadBackground(m_services.SkinFile(scriva::settings::kSkinToolBarBack));
    // Menu commands without a toolbar button take their icons from the strip.
    MainMenus::SetMenuIcons(m_services.Toolbar(scriva::res::kMenuIcons),
                            m_services.Bitmap(scriva::res::kMenuIconBitmap), *m_actions);

    m_statusBar = new MainStatusBar([this](int id) { return m_services.text(id); }, this);
    setStatusBar(m_statusBar);

    m_searchBar = new SearchBar([this](int id) { return m_services.text(id); }, this);
    addDockWidget(Qt::TopDockWidgetArea, m_searchBar);
    m_searchBar->setFloating(true);
    m_searchBar->move(300, 300);
    m_searchBar->hide();
    m_actions->bindButton(m_searchBar->searchButton(), scriva::ctl::kSearch, nullptr);
    // Names screen readers announce for the bars.
    menuBar()->setAccessibleName(m_services.text(scriva::str::kNameMenuBar));
    m_toolBar->setAccessibleName(m_services.text(scriva::str::kNameToolBar));
    if (auto* find = m_searchBar->findChild<QLineEdit*>())
        find->setAccessibleName(m_services.text(
            scriva::str::DialogText(scriva::form::kSearchBar, scriva::ctl::kSearchEdit)));
    m_actions->bindButton(m_searchBar->showAllButton(), scriva::ctl::kShowAll, nullptr);
    return toolbarOk;
}

void CMainFrame::createPanes()
{
    m_panes = std::make_unique<FramePanes>(m_doc, m_services, this);
    setCentralWidget(m_panes->root());
    m_switcher = new PaneSwitcher(*m_panes, m_doc, m_services, this);
    m_photos = new PhotoCommands(*this, m_services);
    m_presenter = new PresenterCommands(*this, m_services);
    connect(m_switcher, &PaneSwitcher::captureViewCreated, m_photos, &PhotoCommands::SetUp);
    m_panes->ApplyInitialSizes(width(), height());
    // The text pane is the active view when the window first opens.
    recognizeView()->setFocus();

    auto relayoutByUser = [this] {
        setSizing(PaneSizing::User);
        RefreshThumbnails();
        leftForm()->update();
    };
    connect(m_panes->mainSplitter(), &CSplitterWndEx::barReleased, this, relayoutByUser);
    connect(m_panes->rightSplitter(), &CSplitterWndEx::barReleased, this, relayoutByUser);
    connect(leftForm(), &CLeftFormView::folderChosen, this, [this](const QString& folder) {
        thumbView()->ScanFolder(folder);
        m_doc.UpdateStatus(scriva::status::kAllPanes);
    });
    connect(&m_doc, &CScrivaDoc::pathChanged, this, &CMainFrame::updateTitle);
    wireThumbnails();
}

void CMainFrame::wireThumbnails()
{
    thumbView()->SetHooks(*this);
    thumbView()->SetWindow(m_services.Window());
}

bool CMainFrame::OpenPath(const QString& path)
{
    return m_services.OpenFile(path);
}

QMenu* CMainFrame::ContextMenu(QWidget* owner)
{
    if (!m_thumbMenu)
        m_thumbMenu =
            m_menus.BuildPopup(m_services.Menu(scriva::res::kThumbnailMenu), *m_actions, this);
    if (m_thumbMenu)
        m_panes->setActiveView(owner); // its commands go to the column first
    return m_thumbMenu;
}

bool CMainFrame::ImageOperationRunning() const
{
    return m_services.IsEditing();
}

void CMainFrame::ShowItemText(const QString& path)
{
    const auto text = m_doc.RecognisedTexts().find(path);
    if (text == m_doc.RecognisedTexts().end()) {
        ShowResultPane(false);
        return;
    }
    ShowResultPane(true);
    recognizeView()->SetResultText(path, text->second);
}

void CMainFrame::wireRouting()
{
    m_router->setWindow(this);
    m_router->setDocument(&m_doc);
    m_router->setFrame(this);
    for (int id : CLeftFormView::ButtonIds)
        m_actions->bindButton(leftForm()->button(id), id, leftForm());
    connect(&m_doc, &CScrivaDoc::statusPanesChanged, m_statusBar, &MainStatusBar::SetPaneTexts);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { onFocusChanged(now); });
}

void CMainFrame::updateTitle()
{
    const QString app = m_services.text(scriva::str::kDocument).section(QLatin1Char('\n'), 0, 0);
    const QString name = m_doc.Title();
    setWindowTitle(name.isEmpty() ? app : app + QStringLiteral(" - ") + name);
}

void CMainFrame::onFocusChanged(QWidget* now)
{
    // The view that takes the keyboard focus becomes the active view.
    for (QWidget* w = now; w && w != this; w = w->parentWidget()) {
        if (w == m_panes->rightView() || w == recognizeView() || w == thumbView()) {
            m_panes->setActiveView(w);
            return;
        }
    }
}

ICommandTarget* CMainFrame::ActiveView() const
{
    return dynamic_cast<ICommandTarget*>(m_panes->activeView());
}

void CMainFrame::BeforeCommand(int id)
{
    // Printing runs from the active view: the image view, else the capture view.
    for (int print : kPrintCommands) {
        if (id == print && m_panes->rightView()) {
            m_panes->setActiveView(m_panes->rightView());
            return;
        }
    }
}

void CMainFrame::ShowResultPane(bool show)
{
    if (m_sizing == PaneSizing::Restored)
        setSizing(PaneSizing::User);
    m_panes->ShowResultPane(show, centralWidget()->height());
}

int CMainFrame::UpdateLeftColumnWidth(bool apply)
{
    if (apply)
        setSizing(PaneSizing::User);
    return m_panes->UpdateLeftColumnWidth(apply, centralWidget()->width());
}

void CMainFrame::RefreshThumbnails()
{
    if (thumbView() && thumbView()->isVisible() && thumbView()->width() > 0)
        thumbView()->RebuildThumbnails();
}

bool CMainFrame::OnCommand(int id)
{
    switch (id) {
    case scriva::cmd::kSwitchRightArea:
        m_switcher->SwitchRightPane();
        return true;
    case scriva::cmd::kToggleLeftColumn:
        setSizing(PaneSizing::User);
        m_panes->ToggleLeftColumn();
        return true;
    case scriva::cmd::kPrintFit:
    case scriva::cmd::kPrintActual:
        m_printMode = id == scriva::cmd::kPrintFit ? scriva::mode::kPrintFitToPage
                                                   : scriva::mode::kPrintActualSize;
        update();
        return true;
    default:
        if (m_presenter->OnCommand(id))
            return true;
        if (m_recognition->OnCommand(id))
            return true;
        if (m_photos->OnCommand(id))
            return true;
        return rightViewTarget() && rightViewTarget()->OnCommand(id);
    }
}

ICommandTarget* CMainFrame::rightViewTarget() const
{
    // The document's commands reach the image or capture view even while
    // another pane (thumbnails, text) is the active view.
    QWidget* view = m_panes ? m_panes->rightView() : nullptr;
    if (!view || view == m_panes->activeView())
        return nullptr;
    return dynamic_cast<ICommandTarget*>(view);
}

std::optional<CommandState> CMainFrame::OnUpdateCommand(int id) const
{
    switch (id) {
    case scriva::cmd::kSwitchRightArea:
        return CommandState::Enabled(!m_switcher->IsSwitching() && !m_services.busy());
    case scriva::cmd::kToggleLeftColumn:
        return CommandState::Checked(true, m_panes->LeftColumnCollapsed());
    case scriva::cmd::kPrintFit:
        return CommandState::Checked(true, m_printMode == scriva::mode::kPrintFitToPage);
    case scriva::cmd::kPrintActual:
        return CommandState::Checked(true, m_printMode == scriva::mode::kPrintActualSize);
    default:
        if (const auto presenter = m_presenter->OnUpdateCommand(id))
            return presenter;
        if (std::optional<CommandState> state = m_recognition->OnUpdateCommand(id))
            return state;
        if (const auto photo = m_photos->OnUpdateCommand(id))
            return photo;
        return rightViewTarget() ? rightViewTarget()->OnUpdateCommand(id) : std::nullopt;
    }
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (centralWidget() && m_sizing == PaneSizing::Rules)
        m_panes->ApplyColumnSizes(centralWidget()->width(), centralWidget()->height());

    m_doc.updateAllViews(0);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_doc.SaveModified()) {
        event->ignore();
        return;
    }
    // The next start opens where this one ends.
    CurrentPlacement().Write([this](scriva::settings::Key key, const QString& value) {
        m_services.SetSetting(key, value);
    });
    QMainWindow::closeEvent(event);
}

void CMainFrame::setSizing(PaneSizing sizing)
{
    m_sizing = sizing;
    if (sizing != PaneSizing::Restored)
        m_panes->ForgetSavedSizes();
}

bool CMainFrame::RestorePlacement(const WindowPlacement& saved)
{
    if (saved.HasGeometry()) {
        std::vector<ScreenArea> screens;
        QScreen* primary = QGuiApplication::primaryScreen();
        if (primary)
            screens.push_back({primary->name(), primary->availableGeometry()});
        for (QScreen* screen : QGuiApplication::screens()) {
            if (screen != primary)
                screens.push_back({screen->name(), screen->availableGeometry()});
        }
        setGeometry(placement::OnScreens(saved.geometry, saved.screen, screens));
    }
    if (saved.leftColumn >= 0 || saved.textRow >= 0) {
        setSizing(PaneSizing::Restored);
        m_panes->KeepSavedSizes(saved.leftColumn, saved.textRow);
    }
    return saved.maximized;
}

WindowPlacement CMainFrame::CurrentPlacement() const
{
    WindowPlacement now;
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    now.geometry = normal ? geometry() : normalGeometry();
    if (!now.geometry.isValid())
        now.geometry = geometry();
    now.maximized = windowState() & Qt::WindowMaximized;
    if (QScreen* on = screen())
        now.screen = on->name();
    now.leftColumn = m_panes->OpenColumnWidth();
    now.textRow = m_panes->TextRowHeight();
    return now;
}
