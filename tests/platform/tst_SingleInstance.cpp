#include <chrono>
#include <memory>

#include <sys/file.h>

#include <QtTest>

#include "SingleInstance.h"

using namespace std::chrono_literals;
using Start = SingleInstance::Start;

namespace {

// The lock file and socket of one throw-away user; its starts give up at once when nobody
// answers.
struct Place {
    QTemporaryDir dir;
    QString lock = dir.filePath(QStringLiteral("kabu.lock"));
    QString socket = dir.filePath(QStringLiteral("kabu.socket"));

    std::unique_ptr<SingleInstance> copy() const {
        return std::make_unique<SingleInstance>(lock, socket, 0ms);
    }
};

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT
private slots:
    void laterStartsWakeTheFirstAndLeave() {
        const Place place;
        const auto first = place.copy();
        QSignalSpy shown(first.get(), &SingleInstance::showRequested);
        QCOMPARE(first->start(), Start::First);
        for (int starts = 1; starts <= 2; ++starts) {
            const auto later = place.copy();
            QSignalSpy laterShown(later.get(), &SingleInstance::showRequested);
            QCOMPARE(later->start(), Start::HandedOver);
            QTRY_COMPARE(shown.size(), starts);
            QCOMPARE(laterShown.size(), 0);
        }
    }

    void startAfterTheFirstHasEndedRunsAgain() {
        const Place place;
        QCOMPARE(place.copy()->start(), Start::First);
        QVERIFY(!QFile::exists(place.lock));
        const auto next = place.copy();
        QCOMPARE(next->start(), Start::First);
        QCOMPARE(place.copy()->start(), Start::HandedOver);
    }

    // A copy killed between creating its lock file and writing its pid leaves the file empty,
    // and its socket file stays behind as well.
    void leftoversOfAKilledCopyDoNotBlock() {
        const Place place;
        for (const QString &leftover : {place.lock, place.socket}) {
            QFile file(leftover);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const auto next = place.copy();
        QCOMPARE(next->start(), Start::First);
        QCOMPARE(place.copy()->start(), Start::HandedOver);
    }

    // A live owner holds a lock on the file from the moment it creates it, written or not.
    void heldLockIsNotTakenOverWhenNobodyAnswers() {
        const Place place;
        QFile held(place.lock);
        QVERIFY(held.open(QIODevice::WriteOnly));
        QCOMPARE(flock(held.handle(), LOCK_EX | LOCK_NB), 0);
        QCOMPARE(place.copy()->start(), Start::NoAnswer);
        QVERIFY(QFile::exists(place.lock));
        QVERIFY(!QFile::exists(place.socket));
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
