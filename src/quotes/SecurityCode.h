#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// What a security code of the exchange is: four characters, a digit 1-9, a digit or one of the
// exchange's letters, a digit, and a digit or letter again (7203, 130A, 2A46).
class SecurityCode {
public:
    static constexpr qsizetype kLength = 4;

    // Whether the text is a code as it is stored: letters in capitals.
    static bool isCode(QStringView text);
    // The text as typed, with ASCII lower-case letters made capitals; nothing else changes, so a
    // length or a refusal stays what the user typed.
    static QString fromInput(QStringView text);
    // The characters that may stand at a position from 0 to kLength - 1.
    static QStringView charactersAt(qsizetype position);
    // Codes that between them hold digits, hex-like letters and others in each place, for
    // checking that an address takes every kind of code.
    static QStringList samples();
};
