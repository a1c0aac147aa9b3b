#pragma once

#include <QString>

// What the desktop's font configuration (fontconfig) prefers, where Qt does not say.
class DesktopFonts {
public:
    // The family fontconfig picks for sans-serif Japanese text; empty when it picks none.
    static QString japaneseSansFamily();
};
