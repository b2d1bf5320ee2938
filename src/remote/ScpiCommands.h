#pragma once

// The server's command set: one row per command with its header in the
// usual notation (upper-case letters are the short form, [NODE] may be left
// out), which of its setting and query forms exist with how many
// parameters, where it runs and whether its setting form needs control.

#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class CommandId {
    Identify,            // *IDN?
    Reset,               // *RST
    ClearStatus,         // *CLS
    OperationComplete,   // *OPC?
    Wait,                // *WAI
    EventStatus,         // *ESR?
    ErrorNext,           // SYSTem:ERRor[:NEXT]?
    ErrorCount,          // SYSTem:ERRor:COUNt?
    Version,             // SYSTem:VERSion?
    LockRequest,         // SYSTem:LOCK:REQuest?
    LockRelease,         // SYSTem:LOCK:RELease
    LockOwner,           // SYSTem:LOCK:OWNer?
    WavelengthStart,     // [SENSe:]WAVelength:STARt
    WavelengthStop,      // [SENSe:]WAVelength:STOP
    SweepStep,           // [SENSe:]SWEep:STEP
    SweepCount,          // [SENSe:]SWEep:COUNt
    Detector,            // [SENSe:]DETector
    Power,               // [SOURce:]POWer
    Initiate,            // INITiate[:IMMediate]
    Abort,               // ABORt
    OperationCondition,  // STATus:OPERation[:CONDition]?
    MeasureState,        // MEASure:STATe?
    MeasureStatus,       // MEASure:STATUS?
    TraceCatalog,        // TRACe:CATalog?
    TraceData,           // TRACe[:DATA]? <curve>
    DataFormat,          // FORMat[:DATA]
    PassbandData,        // CALCulate:PASSband[:DATA]?
    StoreScan,           // MMEMory:STORe:SCAN <name>
};

// Where a form runs: on the network thread from the published state and the
// client's own state, or on the owner's thread (the settings, the session).
enum class RunsOn { Network, Owner };

struct CommandForm {
    bool exists = false;
    int minParameters = 0;
    int maxParameters = 0;
    RunsOn runsOn = RunsOn::Network;
    bool needsControl = false;
};

struct CommandDefinition {
    CommandId id;
    const char* header;
    CommandForm setting;
    CommandForm query;
    const char* summary;
};

// One node of a header: "WAVelength" gives WAV and WAVELENGTH.
struct HeaderNode {
    std::string shortForm;  // upper case
    std::string longForm;   // upper case
    bool optional = false;
};

// The table, in the order the README lists it.
std::span<const CommandDefinition> commandTable();
const CommandDefinition& commandDefinition(CommandId id);
// The nodes of a header text of the table ("*IDN" is one node).
std::vector<HeaderNode> headerNodes(std::string_view header);
