#include "QuoteSourceList.h"

#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QuoteSourceList::QuoteSourceList(QString directory, std::shared_ptr<const QuoteSource> builtIn)
    : m_directory(std::move(directory))
    , m_builtIn(std::move(builtIn)) {}

QString QuoteSourceList::standardDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
           QStringLiteral(KABU_PROGRAM_NAME) + QStringLiteral("/sources");
}

QList<QuoteSourceList::Entry> QuoteSourceList::entries() const {
    QList<Entry> entries{Entry{QString(), m_builtIn, QString()}};
    const QStringList files =
        QDir(m_directory).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        entries.append(load(file));
    return entries;
}

QuoteSourceList::Resolved QuoteSourceList::resolve(const QString &id) const {
    if (id.isEmpty())
        return {m_builtIn, QString()};
    // A stored id is a file name of this folder, never a path leading elsewhere.
    const bool plainName = !id.contains(u'/') && id != QLatin1String("..") && id != u'.';
    const Entry entry =
        plainName ? load(id) : Entry{id, nullptr, QStringLiteral("ファイル名ではありません")};
    if (entry.source)
        return {entry.source, QString()};
    return {m_builtIn, QStringLiteral("取得先 %1 は使えません（%2）。内蔵の取得先を使っています。")
                           .arg(id, entry.problem)};
}

QuoteSourceList::Entry QuoteSourceList::load(const QString &fileName) const {
    const QString path = m_directory + u'/' + fileName;
    if (!QFileInfo(path).isFile())
        return {fileName, nullptr, QStringLiteral("ファイルがありません")};
    QuoteSource::Loaded loaded = QuoteSource::fromFile(path);
    if (auto *problem = std::get_if<QString>(&loaded))
        return {fileName, nullptr, *problem};
    return {fileName, std::get<std::shared_ptr<const QuoteSource>>(std::move(loaded)), QString()};
}
