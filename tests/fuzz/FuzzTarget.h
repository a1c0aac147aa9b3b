#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArrayView>
#include <QString>

// The body of a libFuzzer target: one case per input, aborting on a broken property so that
// libFuzzer keeps the input as a crash.
template <typename Case> int runFuzzCase(const uint8_t *data, size_t size) {
    const QString problem = Case(QByteArrayView(data, static_cast<qsizetype>(size))).check();
    if (!problem.isNull()) {
        std::fprintf(stderr, "broken property: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
