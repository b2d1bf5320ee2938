#include "ScanTextHeaders.h"

#include "ScanTrace.h"

std::string chartPageTextHeader(const ScanTrace& trace, TextExportForm form)
{
    const bool csv = form == TextExportForm::Csv;
    std::string header = csv ? "WL[nm]; Output[dBm]" : "WL[nm]\tOutput[dBm]";
    for (int i = 0; i < trace.CurveCount(); ++i) {
        header += csv ? "; Det" : "\tDet";
        header += trace.CurveAt(i)->name();
        header += "_IL[dB]";
    }
    return header;
}

std::string continuousScanTextHeader(const ScanTrace& trace, TextExportForm form)
{
    const char separator = form == TextExportForm::Csv ? ';' : ' ';
    std::string header = "L";
    header += separator;
    header += 'O';
    for (int i = 0; i < trace.CurveCount(); ++i) {
        header += separator;
        header += trace.CurveAt(i)->name();
    }
    return header;
}
