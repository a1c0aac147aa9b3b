// kabu-ticker: the stock ticker at the top-right of the screen.
#include <libxml/parser.h>

#include <QApplication>

#include "AppDelegate.h"
#include "HttpClient.h"
#include "StatusBar.h"

int main(int argc, char *argv[]) {
    // Both set up process-wide state that is not safe to set up while other threads run, and
    // the application object already starts some.
    xmlInitParser();
    HttpClient::globalInit();

    StatusBar::preferXcbOnWayland();
    QApplication::setApplicationName(QStringLiteral(KABU_PROGRAM_NAME));
    QApplication::setApplicationVersion(QStringLiteral(KABU_VERSION));
    QApplication app(argc, argv);
    // The interface is the status strip; closing the preferences window must not quit.
    QApplication::setQuitOnLastWindowClosed(false);

    AppDelegate appDelegate;
    QMetaObject::invokeMethod(&appDelegate, &AppDelegate::applicationDidFinishLaunching,
                              Qt::QueuedConnection);
    return app.exec();
}
