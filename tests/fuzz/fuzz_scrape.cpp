// libFuzzer target: the scraper over arbitrary quote pages (see ScrapeFuzzCase).
#include "FuzzTarget.h"
#include "QuietDiagnostics.h"
#include "ScrapeFuzzCase.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    QuietDiagnostics::install();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    return runFuzzCase<ScrapeFuzzCase>(data, size);
}
