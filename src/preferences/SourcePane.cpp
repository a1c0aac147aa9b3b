#include "SourcePane.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "HttpClient.h"
#include "Stock.h"
#include "StockManager.h"
#include "ui_SourcePane.h"

namespace {

QString entryTitle(const QuoteSourceList::Entry &entry) {
    return entry.id.isEmpty() ? entry.source->name()
                              : QStringLiteral("%1（%2）").arg(entry.source->name(), entry.id);
}

// What the ticker would show for the code, or why it would show nothing.
QString trialReport(const Stock &stock, bool ok) {
    if (!ok)
        return QStringLiteral("読めませんでした。%1").arg(stock.lastFailure()->summary());
    const QLocale yen(QLocale::Japanese, QLocale::Japan);
    return QStringLiteral("名前: %1\n値段: %2 円\n前日終値: %3 円（前日比 %4）\n出来高: %5")
        .arg(stock.name(), stock.quoteToFormat(), yen.toString(stock.prev_close()),
             stock.prevCloseToFormat(), stock.volumeToFormat());
}

} // namespace

SourcePane::SourcePane(StockManager &stockManager, QWidget *parent)
    : QWidget(parent)
    , m_stockManager(stockManager)
    , m_ui(std::make_unique<Ui::SourcePane>()) {
    m_ui->setupUi(this);
    m_ui->sourceFolder->setText(QStringLiteral("取得先のファイル（*.json）を置くフォルダ: %1")
                                    .arg(m_stockManager.sourceList().directory()));
    // activated, not currentIndexChanged: showing the choice in use must not store it again.
    connect(m_ui->sourceChoice, &QComboBox::activated, this, &SourcePane::choose);
    connect(m_ui->testButton, &QPushButton::clicked, this, &SourcePane::startTest);
    connect(m_ui->testCode, &QLineEdit::returnPressed, this, &SourcePane::startTest);
    connect(this, &SourcePane::testFinished, this, &SourcePane::showTestReport,
            Qt::QueuedConnection);
    reload();
}

SourcePane::~SourcePane() {
    cancelTest();
}

void SourcePane::reload() {
    const QString current = m_stockManager.source()->id();
    QStringList notes;
    if (const QString problem = m_stockManager.sourceProblem(); !problem.isEmpty())
        notes << problem;
    m_usable.clear();
    const QSignalBlocker quiet(m_ui->sourceChoice);
    m_ui->sourceChoice->clear();
    for (const QuoteSourceList::Entry &entry : m_stockManager.sourceList().entries()) {
        if (!entry.source) {
            notes << QStringLiteral("使えないファイル %1: %2").arg(entry.id, entry.problem);
            continue;
        }
        m_usable.append(entry);
        m_ui->sourceChoice->addItem(entryTitle(entry));
        if (entry.id == current)
            m_ui->sourceChoice->setCurrentIndex(m_ui->sourceChoice->count() - 1);
    }
    m_ui->sourceNotice->setText(notes.join(u'\n'));
    m_ui->sourceNotice->setVisible(!notes.isEmpty());
    showAddress();
}

void SourcePane::showEvent(QShowEvent *event) {
    reload();
    QWidget::showEvent(event);
}

void SourcePane::hideEvent(QHideEvent *event) {
    cancelTest();
    QWidget::hideEvent(event);
}

void SourcePane::choose(int index) {
    if (index < 0 || index >= m_usable.size())
        return;
    // A failure to store is not shown: the source is used until the program ends all the same.
    m_stockManager.chooseSource(m_usable.at(index).source);
    reload();
}

void SourcePane::showAddress() {
    const int index = m_ui->sourceChoice->currentIndex();
    m_ui->sourceAddress->setText(index >= 0 && index < m_usable.size()
                                     ? m_usable.at(index).source->addressTemplate()
                                     : QString());
}

void SourcePane::startTest() {
    const int index = m_ui->sourceChoice->currentIndex();
    const QString code = m_ui->testCode->text().trimmed();
    if (index < 0 || index >= m_usable.size() || code.isEmpty()) {
        m_ui->testResult->setText(QStringLiteral("コードを入れてください。"));
        return;
    }
    cancelTest();
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    m_testCancelled = cancelled;
    const quint64 trial = ++m_trial;
    m_ui->testResult->setText(QStringLiteral("%1 を読んでいます…").arg(code));
    // The trial asks the host under the same policy as the refresh: it waits out a pause the
    // host asked for, and what the host answers counts for the refresh too.
    m_tests.run([this, &policy = m_stockManager.fetchPolicy(), source = m_usable.at(index).source,
                 code, cancelled, trial] {
        const HttpClient client(
            HttpClient::Options{.cancelled = [cancelled] { return cancelled->load(); }});
        Stock probe(code, source);
        const bool ok = probe.update(client, policy, Stock::Asking::Once);
        emit testFinished(trial, trialReport(probe, ok));
    });
}

void SourcePane::showTestReport(quint64 trial, const QString &report) {
    if (trial == m_trial && m_testCancelled && !*m_testCancelled)
        m_ui->testResult->setText(report);
}

void SourcePane::cancelTest() {
    if (m_testCancelled && !*m_testCancelled) {
        *m_testCancelled = true;
        m_ui->testResult->setText(QStringLiteral("中止しました。"));
    }
}
