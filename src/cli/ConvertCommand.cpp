// convert FILE.scan.xml --to csv|txt|png|bmp [--out FILE]

#include <nlohmann/json.hpp>

#include "Applicationconfig.h"
#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Options.h"
#include "PictureSupport.h"
#include "ScanFile.h"
#include "ScanFileInput.h"
#include "ScanTextHeaders.h"
#include "ScanTrace.h"

namespace {

std::string defaultOutput(const std::string& input, const std::string& format)
{
    for (const char* suffix : {".scan.xml", ".xml"}) {
        const std::string s = suffix;
        if (input.size() > s.size() && input.compare(input.size() - s.size(), s.size(), s) == 0)
            return input.substr(0, input.size() - s.size()) + "." + format;
    }
    return input + "." + format;
}

}  // namespace

int runConvert(CliSession& session, const ParsedOptions& options)
{
    const std::string& input = options.operands().front();
    const std::optional<std::string> format = options.value("to");
    if (!format) throw UsageError("missing option '--to'");
    if (*format != "csv" && *format != "txt" && *format != "png" && *format != "bmp")
        throw UsageError("unknown format '" + *format + "' (csv, txt, png or bmp)");
    const std::string output = options.value("out").value_or(defaultOutput(input, *format));

    session.loadConfiguration();
    const ScanTrace& trace = loadScanFile(session, input, false);
    const bool bnc = session.settings().scanParameters.bncEnable != 0;
    std::string error;
    bool ok = false;
    if (*format == "csv" || *format == "txt") {
        const TextExportForm form = *format == "csv" ? TextExportForm::Csv : TextExportForm::Txt;
        ok = saveTextExport(output, trace, form, chartPageTextHeader(trace, form), bnc, &error);
    } else {
        PictureSupport pictures(!bnc);
        ok = *format == "png" ? trace.SavePng(output, &error) : trace.SaveBitmap(output, &error);
    }
    if (!ok) throw CliError(ExitCode::FileError, error.empty() ? "can't write " + output : error);
    if (session.json())
        session.printJson({{"file", output}, {"format", *format}});
    else
        session.print(output + "\n");
    return 0;
}
