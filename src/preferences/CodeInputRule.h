#pragma once

#include <QString>

// What one edit of the code field on the add sheet leaves in the field, and whether OK may be
// pressed: the field never holds more than a code's length, shows letters in capitals, and OK
// wants a code.
class CodeInputRule {
public:
    struct Outcome {
        QString text;   // the field's text, which is also the text to remember
        bool okEnabled; // the text is a code
    };

    // `edited` is the field's text after the user's edit; `remembered` what the last edit left.
    static Outcome afterEdit(const QString &edited, const QString &remembered);
};
