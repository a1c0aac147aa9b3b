// libFuzzer target: the query layer over arbitrary pages (see XPathFuzzCase).
#include "FuzzTarget.h"
#include "QuietDiagnostics.h"
#include "XPathFuzzCase.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    QuietDiagnostics::install();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    return runFuzzCase<XPathFuzzCase>(data, size);
}
