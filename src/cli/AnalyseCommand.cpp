// analyse FILE.scan.xml... : the passband analysis of saved scans.

#include <tinyxml.h>

#include <nlohmann/json.hpp>

#include "CliSession.h"
#include "Commands.h"
#include "ConfigurationFile.h"
#include "ExitCode.h"
#include "Grid.h"
#include "OptionValues.h"
#include "Options.h"
#include "Passband.h"
#include "PassbandAnalysis.h"
#include "PassbandFiles.h"
#include "PassbandReport.h"
#include "PassbandSection.h"
#include "ScanFileInput.h"
#include "Scanmanager.h"
#include "TiXmlElementCustom.h"

namespace {

// The Passband section of a configuration or scan file; null when it has none.
const TiXmlElement* passbandSectionOf(const TiXmlDocument& doc)
{
    const TiXmlElement* root = ConfigurationFile::findRoot(doc);
    return TiXmlElementCustom::child(TiXmlElementCustom::child(root, "Configuration"), "Passband");
}

void readParameterFile(CliSession& session, const std::string& path)
{
    TiXmlDocument doc;
    std::string why;
    if (!ConfigurationFile::parseFile(path, doc, &why)) throw CliError(ExitCode::FileError, "can't read " + path + ": " + why);
    const TiXmlElement* section = passbandSectionOf(doc);
    if (section == nullptr) throw CliError(ExitCode::FileError, path + " holds no Passband section");
    session.passbandSection().readSection(section);
}

}  // namespace

int runAnalyse(CliSession& session, const ParsedOptions& options)
{
    const std::vector<std::string>& files = options.operands();
    const std::optional<std::string> out = options.value("out");
    if (out) resultFileKind(*out);
    const PassbandOptions passbandOptions = parsePassbandOptions(options);
    // Every file is checked before anything is analysed or written.
    for (const std::string& file : files) checkScanFile(file);

    session.loadConfiguration();
    Passband& passband = session.passband();
    {
        TiXmlDocument first;
        ConfigurationFile::parseFile(files.front(), first);
        if (const TiXmlElement* section = passbandSectionOf(first)) session.passbandSection().readSection(section);
    }
    if (const auto params = options.value("params")) readParameterFile(session, *params);
    applyPassbandOptions(passband, passbandOptions);

    passband.clearResults();
    for (const std::string& file : files) {
        loadScanFile(session, file, false);
        passband.analyse();
        session.scans().DeleteCurrent();
    }

    if (session.json())
        session.printJson(passbandJson(passband));
    else
        session.print(passbandTable(passband));
    if (out) saveResultFile(passband, *out);
    return 0;
}
