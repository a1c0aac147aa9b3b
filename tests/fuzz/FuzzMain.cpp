// libFuzzer target over one fuzz case, named by the build (KABU_FUZZ_CASE and its header).
#include "FuzzTarget.h"
#include "QuietDiagnostics.h"
#include KABU_FUZZ_CASE_HEADER

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    QuietDiagnostics::install();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    return runFuzzCase<KABU_FUZZ_CASE>(data, size);
}
