// The scriva program: options that need no window first, then the application
// object's start-up, the event loop and the shutdown.

#include "app/frame/FrameWindows.h"
#include "app/shell/AppCommandLine.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/DesktopScheme.h"
#include "app/shell/ProgramIcon.h"
#include "app/shell/TermSignals.h"

#include <QApplication>
#include <QIcon>
#include <cstdlib>
#include <gst/gst.h>

int main(int argc, char** argv)
{
    // The recognition engine's threads would compete with the user interface.
    setenv("OMP_THREAD_LIMIT", "1", 0);

    const int handled = scriva::HandleCommandLineOptions(argc, argv, stdout, stderr);
    if (handled >= 0)
        return handled;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("scriva"));
    // The desktop matches the windows to the launcher entry and its icon.
    QGuiApplication::setDesktopFileName(QLatin1String(scriva::kAppId));
    QApplication::setWindowIcon(scriva::ProgramIcon());
    // Light or dark as the desktop asks (SCRIVA_COLOR_SCHEME, the platform's
    // palette, GTK's dark setting).
    scriva::desktop::Apply();
    gst_init(&argc, &argv);

    // The application object's main window is the main frame.
    CScrivaApp::SetDefaultWindowFactory(&FrameWindows::Make);
    CScrivaApp scrivaApp;
    // A session that ends closes every box and then the window, as the user
    // would, so nothing is lost and the settings are saved. Listened for before
    // start-up: a request that arrives while a start-up box is open closes that
    // box and the start ends there.
    TermSignals termSignals;
    QObject::connect(&termSignals, &TermSignals::terminateRequested, &scrivaApp,
                     &CScrivaApp::Terminate);
    if (!scrivaApp.init(QApplication::arguments()))
        return scrivaApp.HandedOver() ? 0 : 1;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &scrivaApp, &CScrivaApp::shutdown);
    return app.exec();
}
