#include "DesktopFonts.h"

#include <memory>

#include <fontconfig/fontconfig.h>

namespace {

struct PatternDeleter {
    void operator()(FcPattern *pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

} // namespace

QString DesktopFonts::japaneseSansFamily() {
    const Pattern wanted(FcNameParse(reinterpret_cast<const FcChar8 *>("sans-serif:lang=ja")));
    if (!wanted)
        return {};
    // The current configuration, which Qt has already loaded for its own matching.
    FcConfigSubstitute(nullptr, wanted.get(), FcMatchPattern);
    FcDefaultSubstitute(wanted.get());
    FcResult result = FcResultNoMatch;
    const Pattern match(FcFontMatch(nullptr, wanted.get(), &result));
    FcChar8 *family = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch)
        return {};
    // A match is only a best effort: it must really cover Japanese to count.
    FcLangSet *languages = nullptr;
    if (FcPatternGetLangSet(match.get(), FC_LANG, 0, &languages) != FcResultMatch ||
        FcLangSetHasLang(languages, reinterpret_cast<const FcChar8 *>("ja")) == FcLangDifferentLang)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(family));
}
