#pragma once

// Hostile inputs make the query layer log a line and libxml2 report errors on nearly every run;
// silenced, they neither flood the fuzzer's output nor slow it down.
namespace QuietDiagnostics {

void install();

} // namespace QuietDiagnostics
