#pragma once
// Helpers for the application-shell tests: language packs built with Qt's own
// resource compiler from texts the test chooses, a catcher that records and
// answers every message box the code under test shows, and a settings file
// written through the real store.

#include "app/frame/CMainFrame.h"
#include "app/shell/CScrivaApp.h"
#include "config/CConfigFile.h"
#include "config/CommandIds.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace apptest {

// Builds <folder>/resDll/<packFile> holding strings.json (and any extra files).
inline bool buildPack(const QString& folder, const QString& packFile,
                      const std::map<int, QString>& strings,
                      const std::map<QString, QByteArray>& extraFiles = {})
{
    const QString work = folder + QStringLiteral("/src-") + QFileInfo(packFile).baseName();
    QDir().mkpath(work);
    QDir().mkpath(QFileInfo(folder + QLatin1Char('/') + packFile).path());
    QJsonObject table;
    for (const auto& [id, text] : strings)
        table.insert(QString::number(id), text);
    std::map<QString, QByteArray> files = extraFiles;
    files[QStringLiteral("strings.json")] = QJsonDocument(table).toJson();
    QByteArray qrc = "<RCC><qresource prefix=\"/\">\n";
    for (const auto& [name, bytes] : files) {
        QFile out(work + QLatin1Char('/') + name);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return false;
        qrc += "<file>" + name.toUtf8() + "</file>\n";
    }
    qrc += "</qresource></RCC>\n";
    QFile qrcFile(work + QStringLiteral("/pack.qrc"));
    if (!qrcFile.open(QIODevice::WriteOnly) || qrcFile.write(qrc) != qrc.size())
        return false;
    qrcFile.close();
    const QString rcc =
        QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/rcc");
    QProcess process;
    process.setWorkingDirectory(work);
    process.start(rcc, {QStringLiteral("--binary"), QStringLiteral("-o"),
                        folder + QLatin1Char('/') + packFile, QStringLiteral("pack.qrc")});
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// The strings every shell test pack carries, with a marker so two languages differ.
inline std::map<int, QString> shellStrings(const QString& tag)
{
    std::map<int, QString> s;
    s[scriva::str::kBoxTitle] = tag + QStringLiteral(" Scriva");
    const char* buttons[] = {"Yes",    "No",    "OK",    "Cancel", "Retry",
                             "Ignore", "Abort", "Close", "Help"};
    for (int i = 0; i < 9; ++i)
        s[scriva::str::kButtonYes + i] = tag + QLatin1Char('-') + QLatin1String(buttons[i]);
    s[scriva::str::kAlreadyRunning] = tag + QStringLiteral(" already running");
    s[scriva::str::kNoImageHere] = tag + QStringLiteral(" no image");
    s[scriva::str::kNoPhotoHere] = tag + QStringLiteral(" switch to the capture view first");
    s[scriva::str::kNotInImageMode] = tag + QStringLiteral(" switch to the image view first");
    s[scriva::cmd::kFirstRecentFile] = tag + QStringLiteral(" Recent File");
    s[scriva::str::DialogText(scriva::form::kAbout)] = tag + QStringLiteral(" About");
    s[scriva::str::DialogText(scriva::form::kAbout, scriva::ctl::kAboutVersion)] =
        tag + QStringLiteral(" Scriva version");
    return s;
}

// Writes bytes as they are (a file made by hand).
inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A file's bytes, or a marker no file holds when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The built program, beside the test executable.
inline QString scrivaProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/scriva");
}

// Starts the built program as a user would: its settings, cache and home under
// home, the given runtime folder, offscreen and with no camera.
inline void startScriva(QProcess& program, const QString& home, const QString& runtime,
                        const QStringList& arguments = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SCRIVA_CAMERA"), QStringLiteral("none"));
    program.setProcessEnvironment(env);
    program.start(scrivaProgram(), arguments);
}

// Writes a settings file through the store itself.
inline bool writeSettings(const QString& path, const std::map<QString, QString>& normal)
{
    CConfigFile config;
    for (const auto& [key, value] : normal) {
        if (!config.SetString(key, value, QStringLiteral("NORMAL")))
            return false;
    }
    QDir().mkpath(QFileInfo(path).path());
    return config.Save(path);
}

// Puts environment variables back as they were when the test class goes.
class EnvRestorer
{
public:
    explicit EnvRestorer(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            m_saved.emplace_back(name, qEnvironmentVariableIsSet(name), qgetenv(name));
    }
    ~EnvRestorer()
    {
        for (const auto& [name, wasSet, value] : m_saved) {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

private:
    std::vector<std::tuple<const char*, bool, QByteArray>> m_saved;
};

// Points the program at a home for one case: the user's settings go to <home>/config (not
// made: a case may put a file there), the runtime folder is <home>/runtime (made
// owner-only, as the system makes it), and the program starts the camera source `camera`
// names. Callers restore XDG_CONFIG_HOME, XDG_RUNTIME_DIR and SCRIVA_CAMERA with an
// EnvRestorer.
inline void useHome(const QTemporaryDir& home, const char* camera = "none")
{
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("SCRIVA_CAMERA", camera);
}

// useHome with a folder for pages in it: <home>/pages, or empty when it cannot be made.
inline QString useHomeWithPages(const QTemporaryDir& home)
{
    useHome(home);
    const QString folder = home.filePath(QStringLiteral("pages"));
    return QDir().mkpath(folder) ? folder : QString();
}

// A white page of 900 x 160 with `text` in 40-pixel DejaVu Sans (recognition
// reads it), saved as folder/name: its path, or empty when it was not saved.
inline QString writeTextPage(const QString& folder, const QString& name, const QString& text)
{
    QImage page(900, 160, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(30, 90, text);
    p.end();
    const QString path = folder + QLatin1Char('/') + name;
    return page.save(path) ? path : QString();
}

// The same in a new temporary folder.
inline std::unique_ptr<QTemporaryDir> freshHome(const char* camera = "none")
{
    auto home = std::make_unique<QTemporaryDir>();
    useHome(*home, camera);
    return home;
}

// A fresh home as a desktop has it, for cases that save photos: HOME is the folder, the
// cache is <home>/cache, and the documents folder <home>/Documents is named in the user's
// user-dirs.dirs. Callers also restore HOME and XDG_CACHE_HOME.
inline std::unique_ptr<QTemporaryDir> freshDesktopHome(const char* camera)
{
    auto home = freshHome(camera);
    const QString root = home->path();
    qputenv("HOME", QFile::encodeName(root));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/cache")));
    QDir().mkpath(root + QStringLiteral("/Documents"));
    writeBytes(root + QStringLiteral("/config/user-dirs.dirs"),
               "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    return home;
}

// Runs `act` on the first modal dialog of type T that shows up (polled from the
// event loop the dialog runs); `act` must close it.
template <typename T> class ModalHandler : public QObject
{
public:
    explicit ModalHandler(std::function<void(T*)> act) : m_act(std::move(act))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || m_seen)
                return;
            m_seen = true;
            m_act(dialog);
        });
        m_timer.start(10);
    }
    bool seen() const { return m_seen; }

private:
    std::function<void(T*)> m_act;
    QTimer m_timer;
    bool m_seen = false;
};

struct ShownBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttonTexts;
};

// Records every modal message box while it lives and closes each one with the
// given button (the first button when that one is not on the box).
class BoxCatcher : public QObject
{
public:
    explicit BoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok) : m_answer(answer)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(10);
    }
    QList<ShownBox> boxes;

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box == m_last)
            return;
        m_last = box;
        ShownBox shown{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* button : box->buttons())
            shown.buttonTexts << button->text();
        boxes << shown;
        QAbstractButton* button = box->button(m_answer);
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button)
            button->click();
        else
            box->reject();
    }

    QTimer m_timer;
    QMessageBox::StandardButton m_answer;
    QPointer<QMessageBox> m_last;
};

// The started program's window on screen with its image view; null on failure.
inline CMainFrame* StartWithImageView(CScrivaApp& app)
{
    if (!app.init({QStringLiteral("scriva")}))
        return nullptr;
    auto* frame = qobject_cast<CMainFrame*>(app.mainWindow());
    if (!frame)
        return nullptr;
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame))
        return nullptr;
    if (frame->RightAreaMode() != scriva::mode::kImage && !frame->SwitchRightPane())
        return nullptr;
    return frame;
}

} // namespace apptest
