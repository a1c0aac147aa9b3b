#pragma once

#include <QByteArray>

// `data` as a gzip stream at the best compression, for servers that send compressed bodies.
QByteArray gzipped(const QByteArray &data);
