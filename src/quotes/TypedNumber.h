#pragma once

#include <QString>
#include <QStringView>

// A number as a person types it, made plain for reading: full-width forms become ASCII, the
// typographic minus a hyphen-minus, and group separators and the given unit marks go.
namespace TypedNumber {

QString plain(const QString &text, QStringView units);

} // namespace TypedNumber
