// Command routing and command states of the main frame: shared actions built
// from the pack's menus and toolbar, the order view -> document -> frame ->
// application, update rules applied when a menu opens, after a command and on
// the idle timer, and the frame's bars and left-column buttons.

#include "FrameTestSupport.h"
#include "QtTestRegistry.h"
#include "app/commands/CommandRouter.h"
#include "app/frame/CLeftFormView.h"
#include "app/frame/MainStatusBar.h"
#include "app/frame/MainToolBar.h"
#include "app/frame/SearchBar.h"
#include "app/widgets/CSkinButton.h"
#include "app/widgets/CStaticLink.h"
#include "config/CommandIds.h"
#include "thumbs/ui/CThumbView.h"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <map>

using namespace frametest;

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

// A started camera view that takes photos (command 32807).
class PhotoVideoView : public StartingVideoView
{
public:
    using StartingVideoView::StartingVideoView;
    int photos = 0;
    bool OnCommand(int id) override
    {
        if (id != scriva::cmd::kTakePhoto)
            return false;
        ++photos;
        return true;
    }
    std::optional<CommandState> OnUpdateCommand(int id) const override
    {
        return id == scriva::cmd::kTakePhoto ? std::optional<CommandState>(CommandState::Enabled())
                                             : std::nullopt;
    }
};

class FrameCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void actionsAreSharedAndNamedById();
    void frameCommandStates();
    void routingOrderAndApplicationRules();
    void rightAreaViewGetsItsCommandsWhenNotActive();
    void menuOpeningAndIdleRefreshStates();
    void barsOfTheFrame();
    void browseListsTheChosenFolder();
    void toolbarImagesAreSlicedAndMasked();
    void skinButtonIgnoresItsCutOffCorners();
    void staticLinkColours();
};

void FrameCommandTest::actionsAreSharedAndNamedById()
{
    Fixture f;
    QAction* action = f.frame->actions().find(scriva::cmd::kSwitchRightArea);
    QVERIFY(action);
    QCOMPARE(action->objectName(), QStringLiteral("cmd_1000"));
    QCOMPARE(action->data().toInt(), 1000);
    const QString prompt = englishPack().String(1000);
    QCOMPARE(action->statusTip(), prompt.section('\n', 0, 0));
    QCOMPARE(action->toolTip(), prompt.section('\n', 1));
    // The toolbar button and the menu item are the same action.
    QVERIFY(f.frame->toolBar()->actions().contains(action));
    bool inMenu = false;
    for (QMenu* menu : f.frame->menuBar()->findChildren<QMenu*>())
        inMenu = inMenu || menu->actions().contains(action);
    QVERIFY(inMenu);
    QVERIFY(f.frame->recentFileMenu());
    QVERIFY(f.frame->recentFileMenu()->actions().contains(
        f.frame->actions().find(scriva::cmd::kFirstRecentFile)));
    QVERIFY(!f.frame->toolBar()->actions().first()->icon().isNull()); // images from the pack
}

void FrameCommandTest::frameCommandStates()
{
    Fixture f;
    ActionRegistry& actions = f.frame->actions();
    // The print modes are set from the print preview, not from a menu.
    QAction* fit = actions.action(scriva::cmd::kPrintFit);
    QAction* actual = actions.action(scriva::cmd::kPrintActual);
    QAction* column = actions.find(scriva::cmd::kToggleLeftColumn);
    QVERIFY(fit && actual && column);
    actions.refresh();
    QVERIFY(fit->isEnabled() && fit->isChecked() && !actual->isChecked());
    QCOMPARE(f.frame->PrintMode(), scriva::mode::kPrintFitToPage);

    actual->trigger(); // through the action, as a menu click does
    QCOMPARE(f.frame->PrintMode(), scriva::mode::kPrintActualSize);
    QVERIFY(actual->isChecked() && !fit->isChecked()); // updated right after the command
    fit->trigger();
    QCOMPARE(f.frame->PrintMode(), scriva::mode::kPrintFitToPage);
    QVERIFY(fit->isChecked() && !actual->isChecked());

    QVERIFY(column->isEnabled() && !column->isChecked());
    column->trigger();
    QVERIFY(column->isChecked());
    column->trigger();
    QVERIFY(!column->isChecked());
    // Commands nobody handles yet are disabled and do not run.
    QAction* save = actions.find(scriva::cmd::kFileSave);
    QVERIFY(save && !save->isEnabled());
    QVERIFY(!f.frame->router().dispatch(scriva::cmd::kFileSave));
}

void FrameCommandTest::routingOrderAndApplicationRules()
{
    Fixture f;
    // The application handles About and answers for About and the fit mode.
    struct Application : ICommandTarget
    {
        std::vector<int> reached;
        bool OnCommand(int id) override
        {
            reached.push_back(id);
            return id == scriva::cmd::kAbout;
        }
        std::optional<CommandState> OnUpdateCommand(int id) const override
        {
            if (id == scriva::cmd::kAbout || id == scriva::cmd::kPrintFit)
                return CommandState::Enabled(true);
            return std::nullopt;
        }
    } application;
    const std::vector<int>& reached = application.reached;
    f.frame->router().setApplication(&application);
    QVERIFY(f.frame->router().dispatch(scriva::cmd::kAbout));
    QCOMPARE(reached, std::vector<int>{scriva::cmd::kAbout});
    QVERIFY(f.frame->actions().find(scriva::cmd::kAbout)->isEnabled());
    // The frame answers before the application and handles its own command.
    QVERIFY(f.frame->router().state(scriva::cmd::kPrintFit).checkable);
    QVERIFY(f.frame->router().dispatch(scriva::cmd::kPrintActual));
    QCOMPARE(reached.size(), size_t(1));
    // The form's own command goes to the form first; others pass through.
    CLeftFormView* form = f.frame->leftForm();
    QVERIFY(f.frame->router().stateFrom(form, scriva::cmd::kBrowseFolder).enabled);
    QVERIFY(!f.frame->router().state(scriva::cmd::kBrowseFolder).enabled);
}

void FrameCommandTest::rightAreaViewGetsItsCommandsWhenNotActive()
{
    Fixture f;
    f.frame->switcher().setCaptureViewFactory([](CScrivaDoc& d) { return new PhotoVideoView(d); });
    CSkinButton* takePhoto = f.frame->leftForm()->button(scriva::cmd::kTakePhoto);
    // In the image view the button brings the camera and takes no photo.
    QVERIFY(takePhoto->isEnabled());
    QTest::mouseClick(takePhoto, Qt::LeftButton, {}, takePhoto->rect().center());
    QCOMPARE(f.frame->RightAreaMode(), scriva::mode::kCapture);
    auto* video = static_cast<PhotoVideoView*>(f.frame->videoView());
    QVERIFY(video);
    QCOMPARE(video->photos, 0);
    f.frame->setActiveView(f.frame->thumbView()); // the user clicked a thumbnail
    f.frame->actions().refresh();
    QVERIFY(takePhoto->isEnabled());
    QTest::mouseClick(takePhoto, Qt::LeftButton, {}, takePhoto->rect().center());
    QCOMPARE(video->photos, 1);
    QVERIFY(f.frame->router().dispatch(scriva::cmd::kTakePhoto));
    QCOMPARE(video->photos, 2);
}

void FrameCommandTest::menuOpeningAndIdleRefreshStates()
{
    Fixture f;
    QAction* sw = f.frame->actions().find(scriva::cmd::kSwitchRightArea);
    CSkinButton* button = f.frame->leftForm()->button(scriva::cmd::kSwitchRightArea);
    QVERIFY(sw->isEnabled() && button->isEnabled());
    f.rec.busy = true;
    QMenu* menu = nullptr;
    for (QMenu* m : f.frame->menuBar()->findChildren<QMenu*>())
        if (m->actions().contains(sw))
            menu = m;
    QVERIFY(menu);
    emit menu->aboutToShow();
    QVERIFY(!sw->isEnabled());
    f.rec.busy = false;
    QTRY_VERIFY_WITH_TIMEOUT(sw->isEnabled() && button->isEnabled(), 2000); // the idle timer
    f.rec.busy = true;
    QTRY_VERIFY_WITH_TIMEOUT(!button->isEnabled(), 2000);
    // Capture settings need a settings store; this frame was given none.
    QVERIFY(!f.frame->leftForm()->button(scriva::cmd::kCaptureSettings)->isEnabled());
    QVERIFY(f.frame->leftForm()->button(scriva::cmd::kBrowseFolder)->isEnabled());
}

void FrameCommandTest::barsOfTheFrame()
{
    Fixture f;
    LanguagePack& pack = englishPack();
    for (int id : scriva::status::kIndicators) {
        auto* pane = f.frame->statusBar()->findChild<QLabel*>(QStringLiteral("id_%1").arg(id));
        QVERIFY2(pane, qPrintable(QString::number(id)));
        QCOMPARE(pane->text(), pack.String(id));
    }
    SearchBar* bar = f.frame->searchBar();
    QCOMPARE(bar->objectName(), QStringLiteral("id_181"));
    QVERIFY(bar->isFloating());
    QVERIFY(!bar->isVisible());
    QVERIFY(bar->findChild<QLineEdit*>(QStringLiteral("id_1084")));
    const QString app = pack.String(128).section('\n', 0, 0);
    QCOMPARE(f.frame->windowTitle(), app + " - " + pack.String(128).section('\n', 1, 1));
    f.doc.SetPathName(QStringLiteral("/tmp/page one.jpg"));
    QCOMPARE(f.frame->windowTitle(), app + " - page one.jpg");
}

void FrameCommandTest::browseListsTheChosenFolder()
{
    QTemporaryDir tmp;
    Fixture f;
    const QString pages = tmp.path() + "/pages";
    QDir().mkpath(pages);
    for (const char* name : {"b.JPG", "a.png", "notes.txt", "c.tiff"}) {
        QFile file(pages + '/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    f.rec.saveFolder = tmp.path() + "/Scriva/photos";
    f.rec.chosenFolder = pages;
    QTest::mouseClick(f.frame->leftForm()->button(1019), Qt::LeftButton);
    QVERIFY(QDir(f.rec.saveFolder).exists()); // the browser starts in a folder that exists
    CThumbView* thumbs = f.frame->thumbView();
    QCOMPARE(thumbs->Folder(), pages);
    QCOMPARE(thumbs->ItemCount(), 3);
    QCOMPARE(thumbs->PathAt(0), pages + "/a.png");
    QCOMPARE(thumbs->PathAt(1), pages + "/b.JPG");
    QCOMPARE(thumbs->SelectedIndex(), 0); // a scan selects the first file
    QCOMPARE(thumbs->OpenNext(), pages + "/b.JPG");
    QCOMPARE(thumbs->OpenNext(), pages + "/c.tiff");
    QCOMPARE(thumbs->OpenNext(), QString());
    QCOMPARE(thumbs->SelectedIndex(), 2);
    QCOMPARE(thumbs->OpenPrevious(), pages + "/b.JPG");

    f.rec.chosenFolder.clear(); // cancelled: the list stays
    QTest::mouseClick(f.frame->leftForm()->button(1019), Qt::LeftButton);
    QCOMPARE(thumbs->Folder(), pages);
}

void FrameCommandTest::toolbarImagesAreSlicedAndMasked()
{
    QImage strip(60, 20, QImage::Format_RGB32);
    strip.fill(MainToolBar::MaskColour);
    strip.setPixelColor(5, 5, Qt::red);   // first image
    strip.setPixelColor(33, 7, Qt::blue); // second image
    const std::vector<QPixmap> images = MainToolBar::SliceBitmap(QPixmap::fromImage(strip), 28);
    QCOMPARE(images.size(), size_t(2)); // the 4 pixels left over make no image
    const QImage first = images[0].toImage();
    QCOMPARE(first.size(), QSize(28, 20));
    QCOMPARE(first.pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(first.pixelColor(0, 0).alpha(), 0); // the mask colour is transparent
    QCOMPARE(images[1].toImage().pixelColor(5, 7), QColor(Qt::blue));
    QVERIFY(MainToolBar::SliceBitmap(QPixmap::fromImage(strip), 0).empty());
    QVERIFY(MainToolBar::SliceBitmap(QPixmap(), 28).empty());
    MainToolBar bar;
    QVERIFY(!bar.SetToolBarImages(QPixmap::fromImage(strip.copy(0, 0, 20, 20)), {}, {}));
}

void FrameCommandTest::skinButtonIgnoresItsCutOffCorners()
{
    QWidget parent;
    parent.resize(300, 100);
    CSkinButton button("Go", &parent, 0, QColor(151, 244, 219), QColor(211, 247, 254),
                       QColor(211, 247, 254), Qt::lightGray);
    button.setGeometry(10, 10, 200, 48);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    int clicks = 0;
    connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    QVERIFY(!button.Region().contains(QPoint(1, 1)));
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(clicks, 0);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(100, 24));
    QCOMPARE(clicks, 1);
    // A double click: press, release, then the double-click press and its release.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(100, 24));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(100, 24));
    QTest::mouseDClick(&button, Qt::LeftButton, {}, QPoint(100, 24));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(100, 24));
    QCOMPARE(clicks, 3); // the second press of a double click counts
    QTest::mouseMove(&button, QPoint(100, 24));
    QVERIFY(button.IsHover());
    QCOMPARE(button.CurrentState(), CSkinButton::Hover);
    QTest::mouseMove(&button, QPoint(1, 1)); // a corner is outside the shape
    QVERIFY(!button.IsHover());
    button.setEnabled(false);
    QCOMPARE(button.CurrentState(), CSkinButton::Disabled);
    QVERIFY(!button.LoadBitmaps("/nonexistent/a.bmp", "", "", ""));
    QVERIFY(!button.SkinsLoaded());
    QImage shot = button.grab().toImage();
    QCOMPARE(shot.pixelColor(100, 5), QColor(Qt::lightGray)); // the fill colour, not an empty skin
}

void FrameCommandTest::staticLinkColours()
{
    CStaticLink bad("Web", "http://[::1");
    QVERIFY(!bad.Navigate());
    QCOMPARE(bad.LinkColour(), CStaticLink::Unvisited);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("scrivatest", &catcher, "open");
    CStaticLink link("Web");
    link.setObjectName("id_1082");
    link.SetStringLookup([](int id) {
        return id == scriva::ctl::kAboutLink ? QString("scrivatest://pages/1") : QString();
    });
    QTest::mouseClick(&link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("scrivatest");
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl("scrivatest://pages/1")});
    QCOMPARE(link.LinkColour(), CStaticLink::Visited);
    QVERIFY(link.font().underline());
}

SCRIVA_QTEST(FrameCommandTest)
// The order in which a command is offered: the form whose button sent it, the
// active view, the document, the main frame, then the application; the first
// that handles it wins, the same chain decides whether it is enabled, and a
// disabled or unknown command runs nowhere.
namespace {

// A target that answers for the ids it is given and records what reached it.
class ChainTarget : public ICommandTarget
{
public:
    explicit ChainTarget(QString name, std::vector<QString>* log)
        : m_name(std::move(name)), m_log(log)
    {
    }
    std::map<int, CommandState> handles;

    bool OnCommand(int id) override
    {
        m_log->push_back(m_name + QStringLiteral(" %1").arg(id));
        return handles.count(id) != 0;
    }
    std::optional<CommandState> OnUpdateCommand(int id) const override
    {
        const auto it = handles.find(id);
        return it == handles.end() ? std::nullopt : std::optional<CommandState>(it->second);
    }

private:
    QString m_name;
    std::vector<QString>* m_log;
};

} // namespace

class CommandChainTest : public QObject
{
    Q_OBJECT
private slots:
    void firstHandlerInTheChainWins()
    {
        std::vector<QString> log;
        ChainTarget form(QStringLiteral("form"), &log);
        ChainTarget view(QStringLiteral("view"), &log);
        ChainTarget doc(QStringLiteral("doc"), &log);
        ChainTarget frame(QStringLiteral("frame"), &log);
        ChainTarget app(QStringLiteral("app"), &log);
        std::map<int, CommandState>& appHandles = app.handles;
        CommandRouter router;
        struct Window : CommandRouter::Window
        {
            ICommandTarget* active = nullptr;
            ICommandTarget* ActiveView() const override { return active; }
        } window;
        ICommandTarget*& active = window.active;
        active = &view;
        router.setWindow(&window);
        router.setDocument(&doc);
        router.setFrame(&frame);
        router.setApplication(&app);
        QSignalSpy dispatched(&router, &CommandRouter::commandDispatched);

        // Everyone handles 1: the view wins, nobody after it is asked.
        for (ChainTarget* t : {&view, &doc, &frame})
            t->handles[1] = CommandState::Enabled();
        appHandles[1] = CommandState::Enabled();
        QVERIFY(router.dispatch(1));
        QCOMPARE(log, std::vector<QString>{QStringLiteral("view 1")});

        // Without the view's handler the document is next, then the frame, then the application.
        view.handles.erase(1);
        log.clear();
        QVERIFY(router.dispatch(1));
        QCOMPARE(log, (std::vector<QString>{QStringLiteral("view 1"), QStringLiteral("doc 1")}));
        doc.handles.erase(1);
        log.clear();
        QVERIFY(router.dispatch(1));
        QCOMPARE(log, (std::vector<QString>{QStringLiteral("view 1"), QStringLiteral("doc 1"),
                                            QStringLiteral("frame 1")}));
        frame.handles.erase(1);
        log.clear();
        QVERIFY(router.dispatch(1));
        QCOMPARE(log, (std::vector<QString>{QStringLiteral("view 1"), QStringLiteral("doc 1"),
                                            QStringLiteral("frame 1"), QStringLiteral("app 1")}));

        // The state comes from the first target that answers, in the same order.
        view.handles[2] = CommandState::Enabled(false);
        doc.handles[2] = CommandState::Enabled(true);
        QCOMPARE(router.state(2).enabled, false);
        log.clear();
        QVERIFY(!router.dispatch(2)); // disabled: runs nowhere
        QVERIFY(log.empty());
        active = nullptr; // no active view: the document answers
        QCOMPARE(router.state(2).enabled, true);
        QVERIFY(router.dispatch(2));
        QCOMPARE(log, std::vector<QString>{QStringLiteral("doc 2")});

        // The form that sent a command comes before the active view.
        active = &view;
        form.handles[3] = CommandState::Enabled();
        view.handles[3] = CommandState::Enabled();
        log.clear();
        QVERIFY(router.dispatchFrom(&form, 3));
        QCOMPARE(log, std::vector<QString>{QStringLiteral("form 3")});
        QVERIFY(!router.state(4).enabled); // nobody answers: disabled
        log.clear();
        QVERIFY(!router.dispatch(4));
        QVERIFY(log.empty());
        QCOMPARE(dispatched.count(), 6);
    }
};

SCRIVA_QTEST(CommandChainTest)
#include "test_frame_commands.moc"
