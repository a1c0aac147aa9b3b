#include "BundleInfo.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QVariantMap readInfo() {
    QFile file(QStringLiteral(":/Info.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().toVariantMap();
}

} // namespace

const QVariantMap &BundleInfo::infoDictionary() {
    static const QVariantMap info = readInfo();
    return info;
}
