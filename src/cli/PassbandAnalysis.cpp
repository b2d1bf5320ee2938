#include "PassbandAnalysis.h"

#include <algorithm>

#include "AtomicFile.h"
#include "ExitCode.h"
#include "Grid.h"
#include "NumberFormat.h"
#include "GridType.h"
#include "OptionValues.h"
#include "PassbandLimits.h"
#include "Options.h"
#include "Passband.h"
#include "PassbandFiles.h"

namespace {

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

ResultFileKind resultFileKind(const std::string& path)
{
    if (endsWith(path, ".xml")) return ResultFileKind::Xml;
    if (endsWith(path, ".txt")) return ResultFileKind::Text;
    throw UsageError("the result file '" + path + "' must end in .passband.xml or .txt");
}

PassbandOptions parsePassbandOptions(const ParsedOptions& options)
{
    auto level = [&options](const char* name, double low, double high) -> std::optional<float> {
        if (const auto v = doubleOption(options, name, low, high)) return static_cast<float>(*v);
        return std::nullopt;
    };
    using namespace PassbandLimits;
    PassbandOptions p;
    if (const auto grid = integerOption(options, "grid", 0, gridTypeCount - 1)) p.grid = static_cast<int>(*grid);
    p.threshold = level("threshold", lowestThreshold, highestThreshold);
    p.bandwidth1 = level("bw1", lowestBandwidthLevel, highestBandwidthLevel);
    p.bandwidth2 = level("bw2", lowestBandwidthLevel, highestBandwidthLevel);
    p.bandwidth3 = level("bw3", lowestBandwidthLevel, highestBandwidthLevel);
    p.owr = level("owr", lowestOwr, highestOwr);
    return p;
}

void applyPassbandOptions(Passband& passband, const PassbandOptions& options)
{
    if (options.grid) passband.grid.gridType.setValue(static_cast<GridType>(*options.grid));
    if (options.threshold) passband.threshold.setValue(*options.threshold);
    if (options.bandwidth1) passband.bandwidth1.setValue(*options.bandwidth1);
    if (options.bandwidth2) passband.bandwidth2.setValue(*options.bandwidth2);
    if (options.bandwidth3) passband.bandwidth3.setValue(*options.bandwidth3);
    if (options.owr) {
        const Grid* grid = passband.currentGrid();
        const float widest =
            grid != nullptr ? std::min(PassbandLimits::highestOwr, grid->spacing() * 0.5f) : PassbandLimits::highestOwr;
        if (*options.owr > widest)
            throw UsageError(cformat("option '--owr' must lie between 0 and %g for this grid", double(widest)));
        passband.owr.setValue(*options.owr);
    }
}

void saveResultFile(const Passband& passband, const std::string& path)
{
    const bool ok = resultFileKind(path) == ResultFileKind::Xml ? PassbandFiles::saveXml(passband, path)
                                                                : PassbandFiles::saveText(passband, path);
    if (!ok) throw CliError(ExitCode::FileError, "can't write " + path + ": " + lastWriteFailure());
}
