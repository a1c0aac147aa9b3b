#include "UpdateFailure.h"

#include <utility>

#include "QuoteFormat.h"

namespace {

QString missingText(UpdateFailure::Missing missing) {
    switch (missing) {
    case UpdateFailure::Missing::Name:
        return QStringLiteral("名前");
    case UpdateFailure::Missing::Price:
        return QStringLiteral("値段");
    case UpdateFailure::Missing::PrevClose:
        return QStringLiteral("前日終値");
    case UpdateFailure::Missing::Volume:
        return QStringLiteral("出来高");
    }
    return QString();
}

} // namespace

UpdateFailure::UpdateFailure(Kind kind, QString site, QString detail)
    : m_kind(kind)
    , m_site(std::move(site))
    , m_detail(std::move(detail)) {}

UpdateFailure UpdateFailure::noAddress(const QString &code) {
    return UpdateFailure(Kind::NoAddress, QString(), code);
}

UpdateFailure UpdateFailure::connection(HttpFailure transport, const QString &site) {
    UpdateFailure failure(Kind::Connection, site, QString());
    failure.m_transport = transport;
    return failure;
}

UpdateFailure UpdateFailure::httpStatus(long status, const QString &site) {
    UpdateFailure failure(Kind::HttpStatus, site, QString());
    failure.m_status = status;
    return failure;
}

UpdateFailure UpdateFailure::layout(Missing missing, const QString &query, const QString &site) {
    return UpdateFailure(Kind::Layout, site,
                         QStringLiteral("%1が見つかりません: %2").arg(missingText(missing), query));
}

UpdateFailure UpdateFailure::paused(const QDateTime &until, const QString &site) {
    return UpdateFailure(Kind::Paused, site, QuoteFormat::time(until));
}

// An error status explains a page that does not read better than the search that came up empty.
UpdateFailure UpdateFailure::fromResponse(const HttpResponse &response,
                                          UpdateFailure layoutFailure) {
    if (!response.ok)
        return connection(response.failure, layoutFailure.m_site);
    if (response.status >= 400)
        return httpStatus(response.status, layoutFailure.m_site);
    return layoutFailure;
}

QString UpdateFailure::transportText() const {
    switch (m_transport) {
    case HttpFailure::NotHttp:
        return QStringLiteral("http でも https でもない転送先");
    case HttpFailure::HostNotFound:
        return QStringLiteral("ホストが見つかりません");
    case HttpFailure::ConnectionRefused:
        return QStringLiteral("接続拒否");
    case HttpFailure::TimedOut:
        return QStringLiteral("時間切れ");
    case HttpFailure::TooLarge:
        return QStringLiteral("ページが大きすぎます");
    case HttpFailure::TooManyRedirects:
        return QStringLiteral("転送が多すぎます");
    case HttpFailure::Cancelled:
        return QStringLiteral("中止");
    case HttpFailure::None:
    case HttpFailure::Other:
        break;
    }
    return QStringLiteral("接続が切れました");
}

QString UpdateFailure::text() const {
    switch (m_kind) {
    case Kind::NoAddress:
        return QStringLiteral("コード %1 からアドレスを作れません").arg(m_detail);
    case Kind::Connection:
        return transportText();
    case Kind::HttpStatus:
        return QStringLiteral("HTTP %1").arg(m_status);
    case Kind::Layout:
        return QStringLiteral("ページの形が違います（%1）").arg(m_detail);
    case Kind::Paused:
        return QStringLiteral("%1 まで取得を控えています").arg(m_detail);
    }
    return QString();
}

QString UpdateFailure::summary() const {
    switch (m_kind) {
    case Kind::NoAddress:
        return text();
    case Kind::Connection:
        return QStringLiteral("取得先に接続できません: %1（%2）").arg(m_site, text());
    case Kind::HttpStatus:
        return QStringLiteral("取得先がエラーを返しています: %1（%2）").arg(m_site, text());
    case Kind::Layout:
        return QStringLiteral("取得先のページが読めません: %1（%2）").arg(m_site, m_detail);
    case Kind::Paused:
        return QStringLiteral("取得先への問い合わせを控えています: %1（%2 まで）")
            .arg(m_site, m_detail);
    }
    return QString();
}
