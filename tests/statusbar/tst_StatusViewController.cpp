#include <memory>
#include <utility>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QSlider>
#include <QTableView>
#include <QTimeLine>
#include <QtTest>

#include "Clock.h"
#include "ColourScheme.h"
#include "ConfigWindowController.h"
#include "MarketHours.h"
#include "QuotePage.h"
#include "StatusBar.h"
#include "StatusTrayIcon.h"
#include "StatusView.h"
#include "StatusViewController.h"
#include "Stock.h"
#include "StockManager.h"
#include "UrlRecorder.h"
#include "UserDefaults.h"

namespace {

const QString kBaseURL = QStringLiteral("http://quotes.test");
const QString kFileName = QStringLiteral("kabu-ticker.conf");
const QColor kUp = QColor::fromRgbF(0.0f, 0.45f, 0.0f);
const QColor kDown = QColor::fromRgbF(0.77f, 0.1f, 0.1f);

// QSettings caches the files it has read, so the file is read through a copy.
double intervalOnDisk(const QString &file) {
    const QTemporaryDir dir;
    const QString copy = dir.filePath(kFileName);
    return QFile::copy(file, copy) ? UserDefaults(copy).value(UserDefaults::KEY_INTERVAL) : -99.0;
}

QByteArray bytesOf(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QColor textColour(const QLabel *label) {
    return label->palette().color(label->foregroundRole());
}

QColor applicationColour(const QLabel *label, QPalette::ColorRole role) {
    return QGuiApplication::palette().color(label->palette().currentColorGroup(), role);
}

// Whether the middle picture shows the one before moved up by less than its height, with the
// one after rising directly below it.
bool isBetween(const QImage &middle, const QImage &before, const QImage &after) {
    const int width = middle.width();
    const int height = middle.height();
    for (int shift = 1; shift < height; ++shift) {
        const int rest = height - shift;
        if (middle.copy(0, 0, width, rest) == before.copy(0, shift, width, rest) &&
            middle.copy(0, rest, width, shift) == after.copy(0, 0, width, shift))
            return true;
    }
    return false;
}

// A controller over a throw-away settings file whose watch list holds the given codes.
struct Ticker {
    explicit Ticker(const QStringList &codes, const QStringList &holdings = {}) {
        defaults.setValue(UserDefaults::KEY_CODES, codes);
        defaults.setValue(UserDefaults::KEY_HOLDINGS, holdings);
        manager = std::make_unique<StockManager>(defaults, kBaseURL);
        controller = std::make_unique<StatusViewController>(*manager, defaults);
    }
    std::shared_ptr<Stock> stock(int index) const { return manager->stocks().at(index); }
    template <typename T = QWidget> T *outlet(const char *name) const {
        return controller->view()->findChild<T *>(QLatin1String(name));
    }
    bool shows(const char *name) const { return outlet(name)->isVisibleTo(controller->view()); }
    QTimeLine *slide() const {
        auto *timeLine = controller->view()->findChild<QTimeLine *>();
        return timeLine->state() == QTimeLine::Running ? timeLine : nullptr;
    }
    bool finishSlide() const {
        QTimeLine *running = slide();
        if (running)
            running->setCurrentTime(running->duration());
        return running && !slide();
    }
    QImage picture() const {
        return controller->view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    bool slotAOnShow() const { return outlet("itemViewA")->pos() == QPoint(0, 0); }
    QLabel *shownCode() const { return outlet<QLabel>(slotAOnShow() ? "codeA" : "codeB"); }
    QLabel *shownQuote() const { return outlet<QLabel>(slotAOnShow() ? "quoteA" : "quoteB"); }
    QStringList tick(int times) {
        QStringList shown;
        for (int i = 0; i < times; ++i) {
            controller->loadItem();
            shown << (finishSlide() ? shownCode()->text() : QStringLiteral("<no slide>"));
        }
        return shown;
    }

    QTemporaryDir dir;
    QString file = dir.filePath(kFileName);
    UserDefaults defaults{file};
    std::unique_ptr<StockManager> manager;
    std::unique_ptr<StatusViewController> controller;
};

// How plain labels with the shown slot's texts, colours and places paint on the view's background.
QImage asLabelsPaint(const Ticker &t) {
    const QWidget *view = t.controller->view();
    QWidget reference;
    reference.resize(view->size());
    QPalette background;
    background.setColor(QPalette::Window,
                        t.controller->view()->highlighted()
                            ? QGuiApplication::palette().color(QPalette::Highlight)
                            : view->palette().color(QPalette::Window));
    reference.setPalette(background);
    for (const QLabel *label : {t.shownCode(), t.shownQuote()}) {
        auto *copy = new QLabel(label->text(), &reference);
        copy->setGeometry(QRect(label->mapTo(view, QPoint()), label->size()));
        copy->setAlignment(label->alignment());
        QPalette palette;
        palette.setColor(label->foregroundRole(), textColour(label));
        copy->setPalette(palette);
        copy->setForegroundRole(label->foregroundRole());
    }
    return reference.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The texts of the labels a screen reader finds within the bounds, in tree order.
QStringList textsInSight(QAccessibleInterface *node, const QRect &bounds) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface *child = node->child(i);
        if (child->state().invisible)
            continue;
        if (child->role() == QAccessible::StaticText && bounds.contains(child->rect()))
            texts << child->text(QAccessible::Name);
        texts << textsInSight(child, bounds);
    }
    return texts;
}

// What a screen reader heard each accessible object called, by NameChanged events.
QHash<QAccessible::Id, QString> s_heard;
void hear(QAccessibleEvent *event) {
    if (QAccessibleInterface *object = event->accessibleInterface();
        object && event->type() == QAccessible::NameChanged)
        s_heard.insert(QAccessible::uniqueId(object), object->text(QAccessible::Name));
}

} // namespace

class tst_StatusViewController : public QObject {
    Q_OBJECT
private slots:

    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }
    // Every case starts as the program does: before the first security.
    void init() { TickerRotation::s_position = -1; }
    void cleanup() { Clock::setFixed(QDateTime()); }

    void emptyListShowsTitleAndNeverSlides() {
        Ticker t({});
        for (int i = 0; i < 2; ++i) {
            t.controller->loadItem();
            QVERIFY(t.shows("titleView"));
            QVERIFY(!t.shows("itemViewA") && !t.shows("itemViewB"));
            QVERIFY(!t.slide());
        }
    }

    void priceTextAndColourInBothSlots_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("prevClose");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("up") << "1,500"
                            << "1,450"
                            << "1,500" << kUp;
        QTest::newRow("unchanged") << "2,000"
                                   << "2,000"
                                   << "2,000" << kUp;
        QTest::newRow("down") << "1,450"
                              << "1,500"
                              << "1,450" << kDown;
        QTest::newRow("never fetched") << QString() << QString() << "-" << kUp;
    }
    void priceTextAndColourInBothSlots() {
        QFETCH(QString, price);
        QFETCH(QString, prevClose);
        QFETCH(QString, shown);
        QFETCH(QColor, colour);
        Ticker t({"1234"});
        if (!price.isNull())
            QVERIFY(t.stock(0)->updateWithPage(quotePage("1234", "Example", price, prevClose)));
        for (int i = 0; i < 2; ++i) {
            t.tick(1);
            QCOMPARE(t.shownQuote()->text(), shown);
            QCOMPARE(textColour(t.shownQuote()), colour);
        }
    }

    void openMenuPausesTicker() {
        Ticker t({"1111", "2222"});
        t.controller->menuWillOpen();
        QCOMPARE(t.tick(1), QStringList{"<no slide>"});
        QVERIFY(!t.shows("titleView") && t.shows("itemViewA") && t.shows("itemViewB"));
        QVERIFY(t.outlet<QLabel>("codeA")->text().isEmpty());
        QVERIFY(t.outlet<QLabel>("codeB")->text().isEmpty());
        t.controller->menuDidClose();
        QCOMPARE(t.tick(1), QStringList{"1111"});
        t.controller->menuWillOpen();
        QCOMPARE(t.tick(1), QStringList{"<no slide>"});
        t.controller->menuDidClose();
        QCOMPARE(t.tick(1), QStringList{"2222"});
    }

    void slideMovesBothSlotsUpThenParksOutgoingBelow() {
        Ticker t({"1111", "2222"});
        QWidget *a = t.outlet("itemViewA");
        QWidget *b = t.outlet("itemViewB");
        const int height = t.controller->view()->height();
        const QRect onShow = a->geometry();
        QCOMPARE(onShow, t.controller->view()->rect());
        QCOMPARE(b->geometry(), onShow.translated(0, height));
        for (QWidget *incoming : {b, a, b}) {
            QWidget *outgoing = incoming == a ? b : a;
            t.controller->loadItem();
            const QImage before = t.picture();
            t.slide()->setCurrentTime(t.slide()->duration() / 2);
            const QImage middle = t.picture();
            QVERIFY(t.finishSlide());
            QVERIFY(before != t.picture());
            QVERIFY(isBetween(middle, before, t.picture()));
            QCOMPARE(incoming->geometry(), onShow);
            QCOMPARE(outgoing->geometry(), onShow.translated(0, height));
        }
        // A tick while a slide runs brings that slide to its end before filling a slot.
        t.controller->loadItem();
        QCOMPARE(t.tick(1), QStringList{"1111"});
        QCOMPARE(b->geometry(), onShow);
        QCOMPARE(a->geometry(), onShow.translated(0, height));
        QCOMPARE(t.outlet<QLabel>("codeA")->text(), QStringLiteral("2222"));
    }

    void longestCodeAndPriceFitUnclipped() {
        // W is wider than any digit in the fonts we meet.
        Ticker t({"8W8W"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("8W8W", "Big", "99,999,999", "1")));
        t.tick(2); // both slots
        QCOMPARE(t.controller->view()->height(), t.controller->statusItem()->thickness());
        QCOMPARE(t.controller->statusItem()->width(), t.controller->view()->width());
        QCoreApplication::processEvents();
        for (const auto &[codeName, quoteName] :
             {std::pair("codeA", "quoteA"), {"codeB", "quoteB"}}) {
            const auto *code = t.outlet<QLabel>(codeName);
            const auto *quote = t.outlet<QLabel>(quoteName);
            QCOMPARE(quote->text(), QStringLiteral("99,999,999"));
            for (const QLabel *label : {code, quote}) {
                QVERIFY(label->width() >= label->sizeHint().width());
                QVERIFY(t.controller->view()->rect().contains(label->geometry()));
            }
            QVERIFY(!code->geometry().intersects(quote->geometry()));
        }
    }

    void statusMenuEntries() {
        Ticker t({});
        QCOMPARE(t.controller->statusMenu()->objectName(), QStringLiteral("status"));
        QCOMPARE(t.controller->stocksMenu()->objectName(), QStringLiteral("stocks"));
        const QList<QAction *> entries = t.controller->statusMenu()->actions();
        QCOMPARE(entries.size(), 5);
        QCOMPARE(entries[0]->text(), QStringLiteral("銘柄"));
        QCOMPARE(entries[0]->menu(), t.controller->stocksMenu());
        QCOMPARE(entries[1], t.controller->refreshNowAction());
        QCOMPARE(entries[1]->text(), QStringLiteral("今すぐ更新"));
        QCOMPARE(entries[2]->text(), QStringLiteral("環境設定"));
        QVERIFY(entries[3]->isSeparator());
        QCOMPARE(entries[4]->text(), QStringLiteral("終了"));
        for (const QAction *entry : entries)
            QVERIFY(entry->shortcut().isEmpty());
        t.controller->updateStockMenu();
        QVERIFY(t.controller->stocksMenu()->isEmpty());
        // The preferences window controller is made with the ticker; its window is not.
        QVERIFY(t.controller->configWindowController());
        QCOMPARE(t.controller->configWindowController()->window(), nullptr);
        QCOMPARE(t.controller->configWindowController()->stockTableController(), nullptr);
    }

    void stocksMenuLinesInListOrder() {
        Ticker t({"1234", "5678", "9012", "3456"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("1234", "S&B", "1,500", "1,450", "3,000")));
        QVERIFY(t.stock(1)->updateWithPage(quotePage("5678", "Down", "1,450", "1,500", "0")));
        QVERIFY(t.stock(2)->updateWithPage(quotePage("9012", "Flat %1", "2,000", "2,000")));
        t.controller->updateStockMenu();
        t.controller->updateStockMenu();
        const QList<QAction *> lines = t.controller->stocksMenu()->actions();
        const QStringList expected{
            "[1234] S&B / ¥1,500 (+50) / 3,000 / " + t.stock(0)->updatedAtToFormat(),
            "[5678] Down / ¥1,450 (-50) / 0 / " + t.stock(1)->updatedAtToFormat(),
            "[9012] Flat %1 / ¥2,000 (+0) / 1,000 / " + t.stock(2)->updatedAtToFormat(),
            "[3456] 未取得 / ¥- (+0) / 0 / --:--"};
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines[i]->iconText(), expected[i]); // the text as the menu shows it
            QCOMPARE(lines[i]->data().value<std::shared_ptr<Stock>>(), t.stock(i));
        }
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d$").match(expected[0].right(5)).hasMatch());
    }

    // Held lines add their profit, the menu opens with the sum of the usable ones, and lines
    // not held, and the menu once nothing is held, read exactly as without holdings.
    void holdingsSummaryOpensTheStocksMenu() {
        Ticker t({"1111", "2222", "3333"}, {"1111;shares=100;cost=1400.5", "3333;shares=1;cost=1"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("1111", "Held", "1,500", "1,450")));
        QVERIFY(t.stock(1)->updateWithPage(quotePage("2222", "Free", "900", "910")));
        t.controller->updateStockMenu();
        const QList<QAction *> held = t.controller->stocksMenu()->actions().mid(2);
        const QStringList plainTexts{
            "[1111] Held / ¥1,500 (+50) / 1,000 / " + t.stock(0)->updatedAtToFormat(),
            "[2222] Free / ¥900 (-10) / 1,000 / " + t.stock(1)->updatedAtToFormat(),
            "[3333] 未取得 / ¥- (+0) / 0 / --:--"};
        t.controller->updateStockMenu();
        t.controller->stocksMenu()->popup(QPoint());
        t.controller->stocksMenu()->hide();
        t.tick(1);
        const QList<QAction *> lines = t.controller->stocksMenu()->actions();
        const QString summary = QStringLiteral(
            "評価額 150,000円 / 評価損益 +9,950円 (+7.1%) / 前日比 +5,000円 (一部未取得)");
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0]->text(), summary);
        QVERIFY(!lines[0]->icon().isNull() && lines[1]->isSeparator());
        QCOMPARE(lines.mid(2), held); // the summary is not taken for a line when rebuilt
        QCOMPARE(lines[2]->iconText(), plainTexts[0] + " / 評価損益 +9,950円 (+7.1%)");
        QCOMPARE(lines[3]->iconText(), plainTexts[1]);
        QCOMPARE(lines[4]->iconText(), plainTexts[2] + " / 評価損益 未取得");
        QVERIFY(t.controller->trayIcon()->toolTip().contains(summary));

        t.manager->removeStock("3333");
        t.manager->removeStock("1111");
        t.controller->updateStockMenu();
        QCOMPARE(t.defaults.value(UserDefaults::KEY_HOLDINGS), QStringList());
        const QList<QAction *> left = t.controller->stocksMenu()->actions();
        QCOMPARE(left.size(), 1);
        QCOMPARE(left[0]->iconText(), plainTexts[1]);
        QCOMPARE(left[0]->data().value<std::shared_ptr<Stock>>(), t.stock(0));
    }

    void chosenLineOpensItsOwnStockAfterReorder() {
        Ticker t({"1111", "2222", "3333"});
        const UrlRecorder browser;
        t.controller->updateStockMenu();
        QAction *first = t.controller->stocksMenu()->actions().at(0);
        t.manager->translateStockFromIndex(0, 2);
        first->trigger();
        t.controller->updateStockMenu();
        t.controller->stocksMenu()->actions().at(0)->trigger();
        QCOMPARE(browser.urls, (QList<QUrl>{QUrl(kBaseURL + "/stocks/detail/?code=1111"),
                                            QUrl(kBaseURL + "/stocks/detail/?code=2222")}));
    }

    // As an AT-SPI client hears the lines: each name as first read, then as changes are
    // announced. A rebuild reuses the lines, so their names change under the client.
    void screenReadersHearRebuiltLines_data() {
        QTest::addColumn<bool>("reorder");
        QTest::newRow("one removed") << false;
        QTest::newRow("reordered") << true;
    }
    void screenReadersHearRebuiltLines() {
        QFETCH(bool, reorder);
        Ticker t({"7203", "9984", "8306", "6758"});
        t.controller->updateStockMenu();
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            QSKIP("without AT-SPI: tst_StatusViewController_atspi runs it");
        QTRY_VERIFY2(QAccessible::isActive(), "Qt's AT-SPI bridge is off");
        const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(hear);
        QAccessibleInterface *menu =
            QAccessible::queryAccessibleInterface(t.controller->stocksMenu());
        s_heard.clear();
        for (int i = 0; i < menu->childCount(); ++i)
            s_heard.insert(QAccessible::uniqueId(menu->child(i)),
                           menu->child(i)->text(QAccessible::Name));
        if (reorder)
            t.manager->translateStockFromIndex(0, 3);
        else
            t.manager->removeStock(QStringLiteral("9984"));
        t.controller->updateStockMenu();
        QStringList heard;
        QStringList shown;
        for (int i = 0; i < menu->childCount(); ++i) {
            heard << s_heard.value(QAccessible::uniqueId(menu->child(i)));
            shown << t.controller->stocksMenu()->actions().at(i)->iconText();
        }
        QAccessible::installUpdateHandler(previous);
        QCOMPARE(shown.first().left(6),
                 reorder ? QStringLiteral("[9984]") : QStringLiteral("[7203]"));
        QCOMPARE(heard, shown);
    }

    void openMenuHighlightsViewAndCodeLabels() {
        Ticker t({"1111", "2222"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("1111", "Up", "1,500", "1,450")));
        QVERIFY(t.stock(1)->updateWithPage(quotePage("2222", "Down", "1,450", "1,500")));
        t.tick(2);
        const auto *quoteA = t.outlet<QLabel>("quoteA");
        const auto *quoteB = t.outlet<QLabel>("quoteB");
        for (bool open : {true, false, true, false}) {
            if (open)
                t.controller->mouseDown(nullptr);
            else
                t.controller->statusMenu()->hide();
            QCOMPARE(t.controller->statusMenu()->isVisible(), open);
            QCOMPARE(t.controller->view()->highlighted(), open);
            const auto role = open ? QPalette::HighlightedText : QPalette::WindowText;
            for (const char *name : {"codeA", "codeB", "titleLabel"}) {
                const auto *label = t.outlet<QLabel>(name);
                QCOMPARE(textColour(label), applicationColour(label, role));
            }
            QCOMPARE(textColour(quoteA), kDown);
            QCOMPARE(textColour(quoteB), kUp);
        }
    }

    // In both slots, on the plain strip and on the open menu's highlight.
    void slideEndsPaintedAsLabels() {
        Ticker t({"1234"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("1234", "Example", "1,450", "1,500")));
        for (int i = 0; i < 2; ++i) {
            t.tick(1);
            QCOMPARE(t.picture(), asLabelsPaint(t));
            t.controller->menuWillOpen();
            QCOMPARE(t.picture(), asLabelsPaint(t));
            t.controller->menuDidClose();
        }
    }

    void screenReadersReadWhatIsShown_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("prevClose");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("texts");
        const QStringList code{"7203"};
        QTest::newRow("up") << code << "2,345"
                            << "2,300"
                            << "7203 2,345円 上昇" << QStringList{"7203", "2,345"};
        QTest::newRow("down") << code << "2,345"
                              << "2,400"
                              << "7203 2,345円 下落" << QStringList{"7203", "2,345"};
        QTest::newRow("unchanged") << code << "2,345"
                                   << "2,345"
                                   << "7203 2,345円 変わらず" << QStringList{"7203", "2,345"};
        QTest::newRow("never fetched")
            << code << QString() << QString() << "7203 未取得" << QStringList{"7203", "-"};
        QTest::newRow("empty list") << QStringList() << QString() << QString() << "Kabu Ticker"
                                    << QStringList{"Kabu Ticker"};
    }
    void screenReadersReadWhatIsShown() {
        QFETCH(QStringList, codes);
        QFETCH(QString, price);
        QFETCH(QString, prevClose);
        QFETCH(QString, name);
        QFETCH(QStringList, texts);
        Ticker t(codes);
        if (!price.isNull())
            QVERIFY(t.stock(0)->updateWithPage(quotePage("7203", "Toyota", price, prevClose)));
        for (int i = 0; i < 2; ++i) {
            t.tick(1);
            QAccessibleInterface *view =
                QAccessible::queryAccessibleInterface(t.controller->view());
            QCOMPARE(view->text(QAccessible::Name), name);
            QCOMPARE(textsInSight(view, view->rect()), texts);
        }
    }

    void trayIconFollowsTickerAndOpensStatusMenu() {
        Ticker t({"1111", "2222"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("1111", "S&B", "1,500", "1,450")));
        StatusTrayIcon *tray = t.controller->trayIcon();
        const QString title = t.outlet<QLabel>("titleLabel")->text();
        QCOMPARE(tray->toolTip(), title);
        QVERIFY(!tray->isVisible()); // the offscreen desktop has no tray, and none can come
        t.tick(1);
        QCOMPARE(tray->toolTip(), QStringLiteral("1111 S&B\n¥1,500 (+50)"));
        t.tick(1);
        QCOMPARE(tray->toolTip(), QStringLiteral("2222\n¥- (+0)")); // never fetched
        t.controller->menuWillOpen();
        t.tick(1);
        QCOMPARE(tray->toolTip(), QStringLiteral("2222\n¥- (+0)")); // paused with the ticker
        t.controller->menuDidClose();
        for (const char *code : {"1111", "2222"})
            t.manager->removeStock(QString::fromLatin1(code));
        t.tick(1);
        QCOMPARE(tray->toolTip(), title);

        emit tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(t.controller->statusMenu()->isVisible());
        QVERIFY(t.controller->view()->highlighted());
    }

    // One security keeps being refreshed; the other's fetches fail after its first.
    void linesUnrefreshedForTwoPeriodsAreMarked() {
        const QDateTime start(QDate(2026, 12, 7), QTime(9, 0));
        Clock::setFixed(start);
        Ticker t({"1111", "2222", "3333"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("1111", "Stuck", "1,500", "1,450")));
        const QString stuckSince = t.stock(0)->updatedAtToFormat();
        const auto refreshAt = [&t](int minutes) {
            Clock::setFixed(QDateTime(QDate(2026, 12, 7), QTime(9, minutes)));
            QVERIFY(!t.stock(0)->updateWithPage("<html><title>busy</title></html>"));
            QVERIFY(t.stock(1)->updateWithPage(quotePage("2222", "Live", "900", "910")));
        };
        const auto lines = [&t] { return t.controller->stocksMenu()->actions(); };
        const auto isMarked = [](const QAction *line) { return !line->icon().isNull(); };
        const auto showMenu = [&t] {
            t.controller->stocksMenu()->popup(QPoint());
            t.controller->stocksMenu()->hide();
        };

        refreshAt(10);
        refreshAt(20); // exactly two periods of ten minutes: not yet
        t.controller->updateStockMenu();
        const QString stuckText = lines()[0]->text();
        QVERIFY(!isMarked(lines()[0]) && !isMarked(lines()[1]));
        QCOMPARE(lines()[0]->toolTip(), lines()[0]->iconText()); // no tooltip of its own
        QVERIFY(isMarked(lines()[2]));
        QCOMPARE(lines()[2]->toolTip(), QStringLiteral("まだ更新されていません"));
        // A site that asked for a pause is left alone, also by 今すぐ更新: a fresh line says so.
        t.stock(1)->setFailure(UpdateFailure::paused(start.addSecs(3600), QStringLiteral("site")));
        t.controller->updateStockMenu();
        QCOMPARE(lines()[1]->toolTip(), QStringLiteral("10:00 まで取得を控えています"));

        // The loop is stuck: no rebuild, but the menu judges again as it opens.
        Clock::setFixed(start.addSecs(20 * 60 + 1));
        showMenu();
        QVERIFY(isMarked(lines()[0]) && !isMarked(lines()[1]));
        const QString why =
            QStringLiteral("\n前回の失敗: ページの形が違います（値段が見つかりません: "
                           "//table[@class=\"stocksTable\"]/tr/td）");
        QCOMPARE(lines()[0]->toolTip(),
                 stuckSince + QStringLiteral(" から更新されていません") + why);
        QCOMPARE(lines()[0]->text(), stuckText);

        refreshAt(30);
        t.controller->updateStockMenu();
        QVERIFY(isMarked(lines()[0]) && !isMarked(lines()[1]));
        t.controller->setIntervalSecond(15.0); // two periods are now half an hour
        showMenu();
        QVERIFY(!isMarked(lines()[0]));
        Clock::setFixed(start.addDays(1));
        showMenu();
        QCOMPARE(lines()[0]->toolTip(), "12/7 " + stuckSince + " から更新されていません" + why);
    }

    // With the market-hours switch on and the market shut, a line read after the last close
    // is as fresh as it gets, and the tray says when trading resumes and why a quote is stale.
    void marketHoursKeepClosingPricesFresh_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QTime>("updated"); // on Friday 2026-12-11, Japan time
        QTest::addColumn<bool>("marked");   // on Saturday at 10:00
        QTest::addColumn<QString>("note");
        const QString monday = QStringLiteral("\n次の取引開始: 12月14日(月) 9:00");
        QTest::newRow("closing pass") << true << QTime(15, 31) << false << monday;
        QTest::newRow("before the close") << true << QTime(15, 20) << true << monday;
        QTest::newRow("switch off") << false << QTime(15, 31) << true << QString();
    }
    void marketHoursKeepClosingPricesFresh() {
        QFETCH(bool, enabled);
        QFETCH(QTime, updated);
        QFETCH(bool, marked);
        QFETCH(QString, note);
        const QTimeZone japan = MarketCalendar::exchangeZone();
        Ticker t({"1111"});
        MarketHours hours(t.defaults, MarketCalendar());
        hours.setEnabled(enabled);
        t.controller->setMarketHours(&hours);
        Clock::setFixed(QDateTime(QDate(2026, 12, 11), updated, japan));
        QVERIFY(t.stock(0)->updateWithPage(quotePage("1111", "Closing", "1,500", "1,450")));
        Clock::setFixed(QDateTime(QDate(2026, 12, 12), QTime(10, 0), japan));
        t.controller->updateStockMenu();
        const QAction *line = t.controller->stocksMenu()->actions()[0];
        QCOMPARE(!line->icon().isNull(), marked);
        t.tick(1);
        // A marked line's reason comes along, before the note.
        const QString stale = marked ? u'\n' + line->toolTip() : QString();
        QCOMPARE(t.controller->trayIcon()->toolTip(), "1111 Closing\n¥1,500 (+50)" + stale + note);
        t.controller.reset(); // before the switch it reads
    }

    void storedIntervalAtLoad_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<double>("interval");
        QTest::addColumn<bool>("writtenBack");
        QTest::newRow("absent") << QVariant() << 10.0 << true;
        QTest::newRow("below the floor") << QVariant(3.0) << 3.0 << false;
        QTest::newRow("fraction") << QVariant(7.5) << 7.5 << false;
        QTest::newRow("not a number") << QVariant(qQNaN()) << 10.0 << true;
        QTest::newRow("infinite") << QVariant(qInf()) << 10.0 << true;
        QTest::newRow("zero") << QVariant(0.0) << 10.0 << true;
        QTest::newRow("negative") << QVariant(-1.0) << 10.0 << true;
    }
    void storedIntervalAtLoad() {
        QFETCH(QVariant, stored);
        QFETCH(double, interval);
        QFETCH(bool, writtenBack);
        const QTemporaryDir dir;
        const QString file = dir.filePath(kFileName);
        UserDefaults defaults(file);
        if (stored.isValid()) {
            QVERIFY(defaults.setValue(UserDefaults::KEY_INTERVAL, stored.toDouble()));
            QCOMPARE(intervalOnDisk(file), stored.toDouble()); // reaches the controller as such
        }
        const QByteArray before = bytesOf(file);
        StockManager manager(defaults, kBaseURL);
        const StatusViewController controller(manager, defaults);
        QCOMPARE(controller.intervalSecond(), interval);
        QCOMPARE(intervalOnDisk(file), interval);
        QCOMPARE(bytesOf(file) != before, writtenBack);
    }

    // The default interval goes in only where writing it keeps every stored line as it is.
    void unreadableListIsLeftAloneAtLoad_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("writtenBack");
        QTest::newRow("a readable list") << QByteArray("[General]\nKEY_CODES=7203, 6758\n") << true;
        QTest::newRow("a list holding an integer")
            << QByteArray("[General]\nKEY_CODES=@Variant(\\0\\0\\0\\x2\\0\\0\\0*), 7203\n")
            << false;
        QTest::newRow("bytes") << QByteArray("[General]\nKEY_CODES=@ByteArray(7203)\n") << false;
        QTest::newRow("a group") << QByteArray("[KEY_CODES]\n0=7203\n1=6758\n") << false;
        QTest::newRow("a line without a value")
            << QByteArray("[General]\nKEY_CODES=7203, 6758\n7974\n") << false;
        QTest::newRow("broken section") << QByteArray("[General\nKEY_CODES=7203, 6758\n") << false;
        QTest::newRow("a value over two lines")
            << QByteArray("[General]\nKEY_CODES=7203, \\\n6758\n") << true;
        QTest::newRow("binary noise") << QByteArray("\x01\xff\x13KEY_CODES\x02\n\x7f") << false;
    }
    void unreadableListIsLeftAloneAtLoad() {
        QFETCH(QByteArray, content);
        QFETCH(bool, writtenBack);
        const QTemporaryDir dir;
        const QString file = dir.filePath(kFileName);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        UserDefaults defaults(file);
        StockManager manager(defaults, kBaseURL);
        StatusViewController controller(manager, defaults);
        QCOMPARE(controller.intervalSecond(), 10.0);
        QCOMPARE(bytesOf(file) != content, writtenBack);
        // The user's own change is written, whatever the file held.
        controller.setIntervalSecond(6.0);
        QCOMPARE(intervalOnDisk(file), 6.0);
    }

    void setIntervalKeepsFloorAndPersists_data() {
        QTest::addColumn<double>("given");
        QTest::addColumn<double>("interval");
        QTest::newRow("below the floor") << 2.0 << 5.0;
        QTest::newRow("fraction") << 7.5 << 7.5;
        QTest::newRow("not a number") << qQNaN() << 5.0;
    }
    void setIntervalKeepsFloorAndPersists() {
        QFETCH(double, given);
        QFETCH(double, interval);
        Ticker t({});
        t.controller->setIntervalSecond(given);
        QCOMPARE(t.controller->intervalSecond(), interval);
        QCOMPARE(intervalOnDisk(t.file), interval);
    }

    // 日本式 chosen in the preferences: a rising price turns red on the strip at once, in the
    // shade the scheme gives the strip's background, and is stored; ▲ comes with the next step.
    void chosenSchemeColoursTheStrip() {
        Ticker t({"7203"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("7203", "Toyota", "2,345", "2,300")));
        t.tick(1);
        t.controller->config();
        QMainWindow *window = t.controller->configWindowController()->window();
        auto *schemes = window->findChild<QComboBox *>("colourSchemeBox");
        QCOMPARE(schemes->currentIndex(), 0);
        schemes->setCurrentIndex(1);
        emit schemes->activated(1);
        window->findChild<QCheckBox *>("priceArrowsBox")->click();
        QCOMPARE(t.defaults.value(UserDefaults::KEY_COLOUR_SCHEME), QStringLiteral("japanese"));
        QVERIFY(t.defaults.value(UserDefaults::KEY_PRICE_ARROWS));

        const QColor background = t.controller->view()->palette().color(QPalette::Window);
        const QColor red = ColourScheme(QStringLiteral("japanese")).priceColour(true, background);
        QCOMPARE(red.hue(), 0);
        const QImage strip = t.controller->view()->grab().toImage();
        int redPixels = 0;
        for (int y = 0; y < strip.height(); ++y) {
            for (int x = 0; x < strip.width(); ++x)
                redPixels += strip.pixelColor(x, y) == red;
        }
        QVERIFY2(redPixels >= 5, qPrintable(QString::number(redPixels)));
        t.tick(1);
        QCOMPARE(t.shownQuote()->text(), QStringLiteral("▲2,345"));
    }

    void preferencesCommandOpensWindowWiredToTicker() {
        Ticker t({"7203", "6758"});
        t.controller->statusMenu()->actions().at(2)->trigger();
        ConfigWindowController *preferences = t.controller->configWindowController();
        QVERIFY(preferences->window() && preferences->window()->isVisible());
        QCOMPARE(preferences->window()->findChild<QSlider *>("intervalSlider")->value(),
                 100); // tenths of the 10 minutes

        // The slider's minutes reach the ticker, which stores them.
        preferences->window()->findChild<QSlider *>("intervalSlider")->setValue(65);
        QCOMPARE(t.controller->intervalSecond(), 6.5);
        QCOMPARE(intervalOnDisk(t.file), 6.5);

        // The stocks-menu rebuild reloads the table once the window exists.
        QCOMPARE(preferences->window()->findChild<QTableView *>("tableView")->model()->rowCount(),
                 2);
        t.manager->removeStock(QStringLiteral("7203"));
        t.controller->updateStockMenu();
        QCOMPARE(preferences->window()->findChild<QTableView *>("tableView")->model()->rowCount(),
                 1);
    }
};

QTEST_MAIN(tst_StatusViewController)
#include "tst_StatusViewController.moc"
