#include <atomic>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "LocalHttpServer.h"
#include "ScratchSettings.h"
#include "SourcePane.h"
#include "StockManager.h"

using namespace std::chrono_literals;

// The 取得先 pane's trial read against a host that answers every request 429.
class tst_SourcePane : public QObject {
    Q_OBJECT
private slots:
    // The first trial's 429 pauses the host for the refresh too; the second trial waits.
    void trialSharesTheHostsPolicy() {
        LocalHttpServer server;
        std::atomic<int> requests = 0;
        server.server().Get("/stocks/detail/",
                            [&requests](const httplib::Request &, httplib::Response &response) {
                                ++requests;
                                response.status = 429;
                                response.set_header("Retry-After", "600");
                            });
        QVERIFY(server.start());
        ScratchSettings defaults;
        StockManager manager(defaults, server.baseURL(), 0ms, defaults.besideSettings("sources"));
        SourcePane pane(manager);
        auto *const result = pane.findChild<QLabel *>("testResult");
        pane.findChild<QLineEdit *>("testCode")->setText("7203");
        for (const char *answer : {"HTTP 429", "控えています"}) {
            pane.findChild<QPushButton *>("testButton")->click();
            QTRY_VERIFY_WITH_TIMEOUT(result->text().startsWith("読めませんでした"), 10000);
            QVERIFY2(result->text().contains(QString::fromUtf8(answer)),
                     qPrintable(result->text()));
        }
        QCOMPARE(requests.load(), 1);
        QVERIFY(manager.pausedUntil(QDateTime::currentDateTime()).isValid());
    }
};

QTEST_MAIN(tst_SourcePane)
#include "tst_SourcePane.moc"
