#pragma once

#include <memory>

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

#include "AlertEvaluator.h"

class AlertBook;
class Stock;

// One alert that fired, worded for the user.
struct AlertEvent {
    QString code;
    QString summary; // "7203 トヨタ自動車 ¥3,010 (+45)"
    QString rule;    // "¥3,000 以上"
    QString body;    // the rule that fired, as a sentence
    QUrl page;       // the security's quote page
    QDateTime at;
};

// Fed the watch list after each of its changes and refresh passes, tells which alerts fire on it,
// and keeps the last one of each security. A security that leaves the list takes its rules along.
class AlertMonitor {
public:
    explicit AlertMonitor(AlertBook &book);

    // Main thread, with the list as it is now.
    QList<AlertEvent> review(const QList<std::shared_ptr<Stock>> &stocks);
    // The last alert of the security in this run; an invalid time when none has fired.
    AlertEvent lastEvent(const QString &code) const;

private:
    void forgetRemoved(const QSet<QString> &listed);
    static AlertEvent describe(const Stock &stock, const AlertObservation &observation,
                               const AlertRules &rules, const AlertFiring &firing);

    AlertBook &m_book;
    AlertEvaluator m_evaluator;
    QSet<QString> m_listed;
    QHash<QString, AlertEvent> m_lastEvents;
};
