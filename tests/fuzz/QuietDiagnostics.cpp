#include "QuietDiagnostics.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include "Log.h"

namespace {

void ignoreGenericError(void *, const char *, ...) {}

} // namespace

namespace QuietDiagnostics {

void install() {
    xmlInitParser();
    // libxml2 keeps the handler per thread; the fuzzers and the replay run on one thread.
    xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
    Log::setSink([](const QString &) {});
}

} // namespace QuietDiagnostics
