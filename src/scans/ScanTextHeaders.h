#pragma once

// Header lines of the text exports: the column titles of the chart page's
// "Save" ("WL[nm]; Output[dBm]; Det1_IL[dB]") and the short form of the
// continuous saving ("L;O;1"). Header columns follow the curves of the trace.

#include <string>

class ScanTrace;

enum class TextExportForm { Csv, Txt };

std::string chartPageTextHeader(const ScanTrace& trace, TextExportForm form);
std::string continuousScanTextHeader(const ScanTrace& trace, TextExportForm form);
