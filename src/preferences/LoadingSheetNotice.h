#pragma once

#include <optional>

#include <QString>

#include "UpdateFailure.h"

namespace Ui {
class LoadingSheet;
}

// What the loading sheet of an add says: busy while the read runs, and until when the host
// asked us to wait if that kept the add from reading, instead of closing without a word.
class LoadingSheetNotice {
public:
    // The words that keep the sheet open after an add; empty when it may close.
    static QString refusal(const std::optional<UpdateFailure> &failure);

    static void showBusy(Ui::LoadingSheet &sheet);
    static void showRefusal(Ui::LoadingSheet &sheet, const QString &refusal);
};
