// bench: the truth of the simulated bench, to check a measurement against.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"
#include "NumberFormat.h"
#include "SimulatorPlugin.h"

namespace {

nlohmann::json benchTruth()
{
    const std::optional<std::string> text = SimulatorPlugin::benchTruthJson();
    if (!text) throw CliError(ExitCode::Failure, "the simulator has no optical bench");
    nlohmann::json document = nlohmann::json::parse(*text, nullptr, false);
    if (document.is_discarded() || !document.is_object())
        throw CliError(ExitCode::Failure, "the simulator's bench truth is not readable");
    return document;
}

std::string number(const nlohmann::json& value, const char* format)
{
    return value.is_number() ? cformat(format, value.get<double>()) : std::string("--");
}

std::string benchTable(const nlohmann::json& truth)
{
    std::string out = "Preset: " + truth.value("preset", std::string("?")) +
                      "\nSeed: " + std::to_string(truth.value("seed", 0ull)) + "\n";
    for (const nlohmann::json& port : truth.value("ports", nlohmann::json::array())) {
        out += "\nDetector " + std::to_string(port.value("detector", 0)) + "\n";
        const nlohmann::json channels = port.value("channels", nlohmann::json::array());
        if (channels.empty()) {
            out += "  no channel (flat)\n";
            continue;
        }
        out += "  centre (nm)  IL (dB)  BW -1 dB  BW -3 dB  BW -20 dB (nm)\n";
        for (const nlohmann::json& c : channels) {
            const nlohmann::json bw = c.value("bw_nm", nlohmann::json::object());
            out += "  " + number(c.value("centre_nm", nlohmann::json()), "%11.3f") + "  " +
                   number(c.value("il_db", nlohmann::json()), "%7.2f") + "  " +
                   number(bw.value("1", nlohmann::json()), "%8.3f") + "  " +
                   number(bw.value("3", nlohmann::json()), "%8.3f") + "  " +
                   number(bw.value("20", nlohmann::json()), "%9.3f") + "\n";
        }
    }
    return out;
}

}  // namespace

int runBench(CliSession& session, const ParsedOptions&)
{
    if (!session.simulated()) throw UsageError("bench needs --simulate");
    const nlohmann::json truth = benchTruth();
    if (session.json())
        session.printJson(truth);
    else
        session.print(benchTable(truth));
    return 0;
}
