#include <QtTest>

#include "UpdateFailure.h"

namespace {

const QString kSite = QStringLiteral("http://127.0.0.1:18765");

HttpResponse response(bool ok, long status, HttpFailure failure) {
    HttpResponse answer;
    answer.ok = ok;
    answer.status = status;
    answer.failure = failure;
    return answer;
}

} // namespace

class tst_UpdateFailure : public QObject {
    Q_OBJECT
private slots:
    void fromResponse_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<long>("status");
        QTest::addColumn<HttpFailure>("transport");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("summary");
        const HttpFailure none = HttpFailure::None;
        QTest::newRow("refused") << false << 0L << HttpFailure::ConnectionRefused << "接続拒否"
                                 << "取得先に接続できません: " + kSite + "（接続拒否）";
        QTest::newRow("time-out") << false << 0L << HttpFailure::TimedOut << "時間切れ"
                                  << "取得先に接続できません: " + kSite + "（時間切れ）";
        QTest::newRow("unknown host")
            << false << 0L << HttpFailure::HostNotFound << "ホストが見つかりません"
            << "取得先に接続できません: " + kSite + "（ホストが見つかりません）";
        QTest::newRow("reset after a status")
            << false << 200L << HttpFailure::Other << "接続が切れました"
            << "取得先に接続できません: " + kSite + "（接続が切れました）";
        QTest::newRow("error status") << true << 503L << none << "HTTP 503"
                                      << "取得先がエラーを返しています: " + kSite + "（HTTP 503）";
        QTest::newRow("page not in the layout")
            << true << 200L << none << "ページの形が違います（値段が見つかりません: //td）"
            << "取得先のページが読めません: " + kSite + "（値段が見つかりません: //td）";
    }

    void fromResponse() {
        QFETCH(bool, ok);
        QFETCH(long, status);
        QFETCH(HttpFailure, transport);
        QFETCH(QString, text);
        QFETCH(QString, summary);
        const UpdateFailure layout =
            UpdateFailure::layout(UpdateFailure::Missing::Price, QStringLiteral("//td"), kSite);

        const UpdateFailure failure =
            UpdateFailure::fromResponse(response(ok, status, transport), layout);

        QCOMPARE(failure.text(), text);
        QCOMPARE(failure.summary(), summary);
        QCOMPARE(failure == layout, ok && status < 400);
    }
};

QTEST_GUILESS_MAIN(tst_UpdateFailure)
#include "tst_UpdateFailure.moc"
