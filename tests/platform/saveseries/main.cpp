// save_series: a long series of saves for the killed-save tests, and the check of what is left.
//   save_series write FILE FIRST   saves list FIRST, FIRST+1, ... printing each number once its
//                                  save has returned (bounded; meant to be killed)
//   save_series check FILE         prints the number of the complete list the file holds;
//                                  exits 1 when it holds none

#include <cstdio>

#include <QCoreApplication>
#include <QStringList>

#include "SaveSeries.h"
#include "UserDefaults.h"

namespace {

constexpr qint64 kMaxSaves = 100000;

int write(const QString &file, qint64 first) {
    UserDefaults defaults(file);
    for (qint64 n = first; n < first + kMaxSaves; ++n) {
        if (!defaults.setValue(UserDefaults::KEY_CODES, saveSeriesList(n)))
            return 1;
        std::printf("%lld\n", static_cast<long long>(n));
        std::fflush(stdout);
    }
    return 0;
}

int check(const QString &file) {
    const qint64 n = saveSeriesNumber(UserDefaults(file).value(UserDefaults::KEY_CODES));
    if (n < 0)
        return 1;
    std::printf("%lld\n", static_cast<long long>(n));
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("write"))
        return write(args.at(2), args.at(3).toLongLong());
    if (args.size() == 3 && args.at(1) == QLatin1String("check"))
        return check(args.at(2));
    std::fprintf(stderr, "usage: save_series write FILE FIRST | save_series check FILE\n");
    return 2;
}
