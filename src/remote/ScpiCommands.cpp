#include "ScpiCommands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace {

constexpr CommandForm none{};
constexpr CommandForm here(int minParameters = 0, int maxParameters = 0)
{
    return {true, minParameters, maxParameters, RunsOn::Network, false};
}
constexpr CommandForm owner(int minParameters = 0, int maxParameters = 0)
{
    return {true, minParameters, maxParameters, RunsOn::Owner, false};
}
constexpr CommandForm controlling(int minParameters, int maxParameters)
{
    return {true, minParameters, maxParameters, RunsOn::Owner, true};
}

// The inputs a detector list may name: 1 to 4, EXT, ORL.
constexpr int detectorChoices = 6;

constexpr std::array table{
    CommandDefinition{CommandId::Identify, "*IDN", none, here(), "maker, model, serial number, software release"},
    CommandDefinition{CommandId::Reset, "*RST", controlling(0, 0), none,
                "settings from the configuration file again (refused while a measurement runs)"},
    CommandDefinition{CommandId::ClearStatus, "*CLS", here(), none, "empties the error queue and the event status"},
    CommandDefinition{CommandId::OperationComplete, "*OPC", none, owner(), "1, once no measurement runs"},
    CommandDefinition{CommandId::Wait, "*WAI", owner(), none, "the next commands wait until no measurement runs"},
    CommandDefinition{CommandId::EventStatus, "*ESR", none, here(), "standard event status register, cleared by reading"},
    CommandDefinition{CommandId::ErrorNext, "SYSTem:ERRor[:NEXT]", none, here(),
                "oldest entry of this client's queue: <code>,\"<text>\""},
    CommandDefinition{CommandId::ErrorCount, "SYSTem:ERRor:COUNt", none, here(), "entries in this client's queue"},
    CommandDefinition{CommandId::Version, "SYSTem:VERSion", none, here(), "1999.0"},
    CommandDefinition{CommandId::LockRequest, "SYSTem:LOCK:REQuest", none, here(), "takes control when free: 1, else 0"},
    CommandDefinition{CommandId::LockRelease, "SYSTem:LOCK:RELease", here(), none, "gives control back"},
    CommandDefinition{CommandId::LockOwner, "SYSTem:LOCK:OWNer", none, here(), "SELF, OTHER or NONE"},
    CommandDefinition{CommandId::WavelengthStart, "[SENSe:]WAVelength:STARt", controlling(1, 1), here(),
                "scan start, nm"},
    CommandDefinition{CommandId::WavelengthStop, "[SENSe:]WAVelength:STOP", controlling(1, 1), here(), "scan stop, nm"},
    CommandDefinition{CommandId::SweepStep, "[SENSe:]SWEep:STEP", controlling(1, 1), here(), "sampling resolution, pm"},
    CommandDefinition{CommandId::SweepCount, "[SENSe:]SWEep:COUNt", controlling(1, 1), here(),
                "1: a single scan; n: a continuous run of n scans; INF: without limit"},
    CommandDefinition{CommandId::Detector, "[SENSe:]DETector", controlling(1, detectorChoices), here(),
                "inputs measured: 1, 2, 3, 4, EXT, ORL (1 always)"},
    CommandDefinition{CommandId::Power, "[SOURce:]POWer", controlling(1, 1), here(), "output power of the sources, mW"},
    CommandDefinition{CommandId::Initiate, "INITiate[:IMMediate]", controlling(0, 0), none,
                "starts the measurement, returns at once"},
    CommandDefinition{CommandId::Abort, "ABORt", controlling(0, 0), none, "the stop button"},
    CommandDefinition{CommandId::OperationCondition, "STATus:OPERation[:CONDition]", none, here(),
                "0 idle, 16 running, 48 waiting between scans"},
    CommandDefinition{CommandId::MeasureState, "MEASure:STATe", none, here(), "IDLE, RUNNING or WAITING"},
    CommandDefinition{CommandId::MeasureStatus, "MEASure:STATUS", none, here(),
                "the last status line: <severity>,\"<text>\""},
    CommandDefinition{CommandId::TraceCatalog, "TRACe:CATalog", none, here(), "curve names of the last scan"},
    CommandDefinition{CommandId::TraceData, "TRACe[:DATA]", none, here(1, 1),
                "insertion-loss curve: (nm, dB) float64 pairs as a definite-length block, or CSV"},
    CommandDefinition{CommandId::DataFormat, "FORMat[:DATA]", here(1, 2), here(), "REAL[,64] (default) or ASCii"},
    CommandDefinition{CommandId::PassbandData, "CALCulate:PASSband[:DATA]", none, here(),
                "passband results, the JSON document of 'vemar-cli --json analyse'"},
    CommandDefinition{CommandId::StoreScan, "MMEMory:STORe:SCAN", controlling(1, 1), none,
                "saves the last scan in the Data folder: NAME.scan.xml, NAME.csv or NAME.txt"},
};

}  // namespace

std::span<const CommandDefinition> commandTable() { return table; }

const CommandDefinition& commandDefinition(CommandId id)
{
    for (const CommandDefinition& definition : table)
        if (definition.id == id) return definition;
    throw std::logic_error("command without a row in the table");
}

std::vector<HeaderNode> headerNodes(std::string_view header)
{
    std::vector<HeaderNode> nodes;
    std::size_t at = 0;
    const std::size_t n = header.size();
    while (at < n) {
        if (header[at] == ':') {
            ++at;
            continue;
        }
        HeaderNode node;
        if (header[at] == '[') {
            node.optional = true;
            ++at;
            if (at < n && header[at] == ':') ++at;
        }
        const std::size_t end = std::min(header.find_first_of(":[]", at), n);
        for (char c : header.substr(at, end - at)) {
            node.longForm += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (!std::islower(static_cast<unsigned char>(c))) node.shortForm += c;
        }
        at = end;
        if (node.optional) {
            if (at < n && header[at] == ':') ++at;
            if (at < n && header[at] == ']') ++at;
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}
