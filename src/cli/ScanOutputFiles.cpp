#include "ScanOutputFiles.h"

#include "Applicationconfig.h"
#include "ExitCode.h"
#include "PassbandAnalysis.h"
#include "ScanFile.h"
#include "ScanTextHeaders.h"
#include "ScanTrace.h"

namespace {

void require(bool ok, const std::string& file, const std::string& error)
{
    if (!ok) throw CliError(ExitCode::FileError, error.empty() ? "can't write " + file : error);
}

}  // namespace

std::vector<std::string> saveScanOutputs(const std::string& base, const ScanFormats& formats, const ScanTrace& trace,
                                         const ScanFileFrame& frame)
{
    std::vector<std::string> written;
    std::string error;
    const bool bnc = frame.settings.scanParameters.bncEnable != 0;
    if (formats.xml) {
        const std::string file = base + ".scan.xml";
        require(saveScanFile(file, trace, frame, &error), file, error);
        written.push_back(file);
        written.push_back(file + ".dat");
    }
    for (const auto& [wanted, form, extension] :
         {std::tuple{formats.csv, TextExportForm::Csv, ".csv"}, std::tuple{formats.txt, TextExportForm::Txt, ".txt"}}) {
        if (!wanted) continue;
        const std::string file = base + extension;
        require(saveTextExport(file, trace, form, chartPageTextHeader(trace, form), bnc, &error), file, error);
        written.push_back(file);
    }
    if (formats.png) {
        const std::string file = base + ".png";
        require(trace.SavePng(file, &error), file, error);
        written.push_back(file);
    }
    return written;
}

std::vector<std::string> savePassbandOutputs(const std::string& base, const Passband& passband)
{
    const std::vector<std::string> files{base + ".passband.xml", base + ".passband.txt"};
    for (const std::string& file : files) saveResultFile(passband, file);
    return files;
}
