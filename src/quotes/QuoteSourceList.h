#pragma once

#include <memory>

#include <QList>
#include <QString>

#include "QuoteSource.h"

// The sources a user can choose from: the built-in one, then every *.json file of a folder in
// file-name order, the unusable ones with the reason. The folder is read afresh on each call.
class QuoteSourceList {
public:
    struct Entry {
        QString id;                                // empty for the built-in source
        std::shared_ptr<const QuoteSource> source; // null when the file is unusable
        QString problem;                           // why it is unusable
    };
    // A choice looked up: the source to use, and why it is not the one chosen, if it is not.
    struct Resolved {
        std::shared_ptr<const QuoteSource> source;
        QString problem;
    };

    QuoteSourceList(QString directory, std::shared_ptr<const QuoteSource> builtIn);

    // $XDG_DATA_HOME/kabu-ticker/sources (~/.local/share/kabu-ticker/sources by default).
    static QString standardDirectory();

    const QString &directory() const { return m_directory; }
    QList<Entry> entries() const;
    // The source stored under the id; the built-in one when the id is empty, or names a file
    // that is gone or unusable.
    Resolved resolve(const QString &id) const;

private:
    Entry load(const QString &fileName) const;

    QString m_directory;
    std::shared_ptr<const QuoteSource> m_builtIn;
};
