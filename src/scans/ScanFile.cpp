#include "ScanFile.h"

#include <tinyxml.h>

#include "Applicationconfig.h"
#include "AtomicFile.h"
#include "ScanTextHeaders.h"
#include "Scanmanager.h"
#include "UserMessages.h"

bool saveScanFile(const std::string& fileName, const ScanTrace& trace, const ScanFileFrame& frame, std::string* error)
{
    TiXmlDocument doc;
    ConfigurationFile::writeFrame(doc, frame.about, frame.settings, frame.sections);
    return trace.SaveXml(fileName, doc, error);
}

bool saveTextExport(const std::string& fileName, const ScanTrace& trace, TextExportForm form,
                    const std::string& header, bool extReferenced, std::string* error)
{
    const ScanRes& result = trace.result();
    const int status = form == TextExportForm::Csv ? result.WriteCsv(fileName, header.c_str(), extReferenced)
                                                   : result.WriteTxt(fileName, header.c_str(), extReferenced);
    if (status != 0 && error != nullptr) *error = "Can't write " + fileName + ": " + lastWriteFailure();
    return status == 0;
}

bool saveFromChartPage(const std::string& fileName, int filterIndex, const ScanTrace& trace,
                       const ScanFileFrame& frame, std::string* error)
{
    const bool bnc = frame.settings.scanParameters.bncEnable != 0;
    auto text = [&](TextExportForm form) {
        return saveTextExport(fileName, trace, form, chartPageTextHeader(trace, form), bnc, error);
    };
    switch (static_cast<ScanSaveForm>(filterIndex)) {
    case ScanSaveForm::Csv: return text(TextExportForm::Csv);
    case ScanSaveForm::ScanXml: return saveScanFile(fileName, trace, frame, error);
    case ScanSaveForm::Txt: return text(TextExportForm::Txt);
    case ScanSaveForm::Bitmap: return trace.SaveBitmap(fileName, error);
    case ScanSaveForm::Png: return trace.SavePng(fileName, error);
    }
    if (error != nullptr) *error = "Unknown save form " + std::to_string(filterIndex);
    return false;
}

int loadFromChartPage(const std::string& fileName, ScanManager& manager, ApplicationConfig& settings,
                      const ConfigurationSections& sections, const SourceConfigurationView* liveConfiguration,
                      ScanLoadReport* report)
{
    ConfigurationFile::loadConfiguration(fileName, settings, sections);
    ScanTrace& trace = manager.NewTrace(liveConfiguration);
    // The settings now are the file's: its Ext curve was referenced to the
    // output when its BNC input was read as an optical power.
    ScanLoadReport own;
    if (report == nullptr) report = &own;
    const int status =
        trace.LoadXml(fileName, sections.sourcesReader, settings.scanParameters.bncEnable != 0, report);
    if (status == -2) {
        UserMessages::show(UserMessages::Severity::Error, "Error", "Can't open the file. The format is invalid.");
        return status;
    }
    if (status == -3) {
        UserMessages::show(UserMessages::Severity::Error, "Error",
                           "Can't open the file " + fileName + ": " + report->pairMismatch);
        return status;
    }
    const std::size_t slash = fileName.find_last_of('/');
    trace.setName(slash == std::string::npos ? fileName : fileName.substr(slash + 1));
    return status;
}
