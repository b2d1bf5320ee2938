// curve FILE.scan.xml [--curve NAME] [--thz]: the information block's figures.

#include <nlohmann/json.hpp>

#include "Applicationconfig.h"
#include "CliSession.h"
#include "Commands.h"
#include "CurveAnalysis.h"
#include "ExitCode.h"
#include "Options.h"
#include "ScanFileInput.h"
#include "ScanTrace.h"

namespace {

nlohmann::json optionalNumber(const std::optional<double>& value)
{
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

std::string curveNames(const ScanTrace& trace)
{
    std::string names;
    for (int i = 0; i < trace.CurveCount(); ++i) names += (i > 0 ? ", " : "") + trace.CurveAt(i)->name();
    return names;
}

}  // namespace

int runCurve(CliSession& session, const ParsedOptions& options)
{
    const std::string& path = options.operands().front();
    session.loadConfiguration();
    const ScanTrace& trace = loadScanFile(session, path, false);

    const ScanCurve* curve = trace.CurveAt(0);
    if (const auto name = options.value("curve")) {
        curve = trace.FindCurve(*name);
        if (curve == nullptr)
            throw CliError(ExitCode::Failure, path + " has no curve \"" + *name + "\" (curves: " + curveNames(trace) + ")");
    }
    if (curve == nullptr) throw CliError(ExitCode::Failure, path + " holds no curve");

    const ApplicationConfig& s = session.settings();
    const CurveLevels levels{s.fwhmThreshold, s.fwhmPower, s.slopeTopLevel, s.slopeBottomLevel};
    const SpectralUnit unit = options.has("thz") ? SpectralUnit::THz : SpectralUnit::Nm;
    const ScanData& data = curve->data();
    const auto n = static_cast<std::size_t>(data.count());
    const CurveFigures figures = analyseCurve(CurvePoints(data.x().first(n), data.y().first(n)), levels, unit);

    if (session.json()) {
        session.printJson({
            {"file", path},
            {"curve", curve->name()},
            {"centre", optionalNumber(figures.centre && figures.width ? figures.centre : std::nullopt)},
            {"width", optionalNumber(figures.centre && figures.width ? figures.width : std::nullopt)},
            {"leftSlope", optionalNumber(figures.leftSlope && figures.rightSlope ? figures.leftSlope : std::nullopt)},
            {"rightSlope", optionalNumber(figures.leftSlope && figures.rightSlope ? figures.rightSlope : std::nullopt)},
            {"unit", unit == SpectralUnit::THz ? "THz" : "nm"},
            {"levels",
             {{"fwhmThreshold", levels.fwhmThreshold},
              {"fwhmPower", levels.fwhmPower},
              {"slopeTopLevel", levels.slopeTopLevel},
              {"slopeBottomLevel", levels.slopeBottomLevel}}},
        });
        return 0;
    }
    const CurveInformationTexts t = curveInformationTexts(figures, levels, unit);
    auto line = [](const std::string& caption, const std::string& value) {
        return caption + " " + (value.empty() ? "--" : value) + "\n";
    };
    session.print("Curve " + curve->name() + " of " + path + "\n" + line(t.centreCaption, t.centre) +
                  line(t.widthCaption, t.width) + line(t.leftCaption, t.leftSlope) +
                  line(t.rightCaption, t.rightSlope));
    return 0;
}
