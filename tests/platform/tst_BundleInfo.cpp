#include <QtTest>

#include "BundleInfo.h"

class tst_BundleInfo : public QObject {
    Q_OBJECT
private slots:
    void holdsTheProjectsNameAndVersion() {
        const QVariantMap &info = BundleInfo::infoDictionary();
        QCOMPARE(info.value("CFBundleName").toString(), QStringLiteral(KABU_DISPLAY_NAME));
        QCOMPARE(info.value("CFBundleShortVersionString").toString(), QStringLiteral(KABU_VERSION));
        QCOMPARE(info.size(), 2);
        QCOMPARE(&BundleInfo::infoDictionary(), &info); // read once
    }
};

QTEST_GUILESS_MAIN(tst_BundleInfo)
#include "tst_BundleInfo.moc"
