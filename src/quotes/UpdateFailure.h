#pragma once

#include <QDateTime>
#include <QString>

#include "HttpClient.h"

// Why a record's last update brought no quote, in words a user can be told: a value that any
// step of fetching may set and that compares equal when two updates failed alike.
class UpdateFailure {
public:
    enum class Kind {
        NoAddress,  // the code forms no address of the source
        Connection, // no complete answer: see transport()
        HttpStatus, // an error status with a page that does not read
        Layout,     // a page that does not read: one of the searches found nothing
        Paused,     // nothing sent: the site asked for a pause, or failed too often
    };
    // What a layout failure could not find.
    enum class Missing { Name, Price, PrevClose, Volume };

    static UpdateFailure noAddress(const QString &code);
    static UpdateFailure connection(HttpFailure transport, const QString &site);
    static UpdateFailure httpStatus(long status, const QString &site);
    static UpdateFailure layout(Missing missing, const QString &query, const QString &site);
    // Until `until`, shown in local time as HH:mm.
    static UpdateFailure paused(const QDateTime &until, const QString &site);
    // The failure of a fetch whose page did not read, or whose answer was incomplete.
    static UpdateFailure fromResponse(const HttpResponse &response, UpdateFailure layoutFailure);

    Kind kind() const { return m_kind; }
    HttpFailure transport() const { return m_transport; }
    long status() const { return m_status; }
    // The short reason for one record's tooltip: "接続拒否", "HTTP 503", ...
    QString text() const;
    // One line for a pass whose every record failed alike, naming the site.
    QString summary() const;

    bool operator==(const UpdateFailure &) const = default;

private:
    UpdateFailure(Kind kind, QString site, QString detail);
    QString transportText() const;

    Kind m_kind;
    QString m_site;   // scheme, host and port
    QString m_detail; // the code, or what was not found with which query
    HttpFailure m_transport = HttpFailure::None;
    long m_status = 0;
};
