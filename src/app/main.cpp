// kabu-ticker: the stock ticker at the top-right of the screen.
#include <cstdlib>

#include <libxml/parser.h>

#include <QApplication>

#include "AppDelegate.h"
#include "FontChoice.h"
#include "MemoryTrim.h"
#include "SingleInstance.h"
#include "StatusBar.h"

int main(int argc, char *argv[]) {
    // libxml2 sets up process-wide state that is not safe to set up while other threads run, and
    // the application object already starts some. libcurl waits for the first request.
    xmlInitParser();
    MemoryTrim::shareOneArena();

    StatusBar::preferXcbOnWayland();
    QApplication::setApplicationName(QStringLiteral(KABU_PROGRAM_NAME));
    QApplication::setApplicationVersion(QStringLiteral(KABU_VERSION));
    // Lets desktops match the windows to the installed desktop entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral(KABU_APP_ID));
    QApplication app(argc, argv);
    // The interface is the status strip; closing the preferences window must not quit.
    QApplication::setQuitOnLastWindowClosed(false);
    FontChoice::useForApplication();

    // A later start only wakes the running copy, before it reads a setting or shows a window.
    SingleInstance instance(QApplication::applicationName());
    switch (instance.start()) {
    case SingleInstance::Start::First:
        break;
    case SingleInstance::Start::HandedOver:
        return EXIT_SUCCESS;
    case SingleInstance::Start::NoAnswer:
        return EXIT_FAILURE;
    }

    AppDelegate appDelegate;
    QMetaObject::invokeMethod(&appDelegate, &AppDelegate::applicationDidFinishLaunching,
                              Qt::QueuedConnection);
    // Queued behind the launch, which a request may otherwise overtake.
    QObject::connect(&instance, &SingleInstance::showRequested, &appDelegate,
                     &AppDelegate::showStatusMenu, Qt::QueuedConnection);
    return app.exec();
}
