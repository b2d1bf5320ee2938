#pragma once

// What the network side of the command server sees of the instrument: the
// state the owner's thread last published, which any thread may read, and
// a way to have a command carried out on the owner's thread. The network
// thread never touches the measurement session, its settings or its trace.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ScanSnapshot.h"
#include "ScpiCommands.h"
#include "ScpiError.h"
#include "ScpiParser.h"

enum class MeasurementPhase { Idle, Running, Waiting };

// An error or warning of the measurement, for every client's queue.
struct MeasurementEvent {
    std::uint64_t sequence = 0;
    ScpiError error;
};

// Published by the owner after every change; never changed afterwards.
struct InstrumentState {
    std::string identification;  // the *IDN? answer

    // The settings as the owner holds them.
    double startNm = 0;
    double stopNm = 0;
    int stepPm = 0;
    double powerMw = 0;
    std::string detectors;  // "1,2,EXT"
    int scanCount = 1;      // scans of a run; with unlimited a continuous run without limit
    bool unlimited = false;

    MeasurementPhase phase = MeasurementPhase::Idle;
    int statusSeverity = 0;  // the last status line
    std::string statusText;

    // The last completed scan of the latest measurement (null before its
    // first scan) and the names of its trace's curves.
    ScanSnapshotPtr lastScan;
    std::vector<std::string> curves;
    // The passband results after that scan, as one line of JSON.
    std::string passbandDocument;

    // The latest measurement events, oldest first; eventsEnd is the
    // sequence the next one will carry.
    std::vector<MeasurementEvent> events;
    std::uint64_t eventsEnd = 0;
};

using InstrumentStatePtr = std::shared_ptr<const InstrumentState>;

struct OwnerRequest {
    CommandId id;
    bool query = false;
    std::vector<ScpiParameter> parameters;
};

struct OwnerReply {
    std::optional<std::string> answer;
    std::vector<ScpiError> errors;
};

// Called on the owner's thread, once per request.
using OwnerDone = std::function<void(OwnerReply)>;

class InstrumentPort {
public:
    virtual ~InstrumentPort() = default;
    // From any thread; never null.
    virtual InstrumentStatePtr state() const = 0;
    // From the network thread: the request is carried out on the owner's
    // thread, in the order submitted, and done is called there, at once or
    // (*OPC?, *WAI) when no measurement runs any more.
    virtual void submit(OwnerRequest request, OwnerDone done) = 0;
};
