#pragma once

// The owner's side of the command server: carries out, on the owner's
// thread, the commands that change the settings or the measurement, through
// the measurement session exactly as the window's controls and start button
// do, hears the session's messages as the window does, and publishes after
// every change an immutable InstrumentState that the network thread answers
// queries from. The owner runs the tasks this object posts (a TaskQueue it
// loops on) and calls tick() between them for the delay between scans.

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "About.h"
#include "ConfigurationFile.h"
#include "InstrumentPort.h"
#include "MeasurementSession.h"

class Passband;

struct RemoteInstrumentSetup {
    MeasurementSession& measurement;
    Passband& passband;
    // The sections written into a scan file after the settings.
    ConfigurationSections sections;
    // The unit and the program as the About page shows them.
    About about;
    // Posts a task to the owner's thread.
    PostToOwner post;
    // *RST: the settings, the sources and the passband parameters from the
    // configuration file again; throws (a text) when the file cannot be read.
    std::function<void()> reloadSettings;
    // The passband results as one line of JSON.
    std::function<std::string(const Passband&)> passbandDocument;
    // A line for the operator (stderr); may be empty.
    std::function<void(const std::string&)> log;
};

class RemoteInstrument final : public InstrumentPort, private MeasurementView {
public:
    static constexpr const char* maker = "Zelmora Optics";
    static constexpr const char* model = "VEMAR";
    // Measurement events kept for the clients' queues.
    static constexpr std::size_t eventsKept = 64;

    explicit RemoteInstrument(RemoteInstrumentSetup setup);
    // A measurement still running is abandoned (its thread joined).
    ~RemoteInstrument() override;
    RemoteInstrument(const RemoteInstrument&) = delete;
    RemoteInstrument& operator=(const RemoteInstrument&) = delete;

    // InstrumentPort.
    InstrumentStatePtr state() const override;
    void submit(OwnerRequest request, OwnerDone done) override;

    // ---- on the owner's thread
    bool running() const { return setup_.measurement.running(); }
    // The program is asked to end: a measurement under way ends as after
    // the stop button, and no new one starts.
    void shutdown();
    // How long the owner may wait for a task before tick() is due.
    std::chrono::milliseconds untilTick(std::chrono::milliseconds longest) const;
    // Ends the delay between two scans once it is over.
    void tick();

    // The *IDN? answer for an About record.
    static std::string identification(const About& about);

private:
    // MeasurementView, on the owner's thread.
    void scanCompleted(ScanTrace& trace, const ScanSnapshotPtr& scan) override;
    void measurementEnded() override;
    void samplingStepChanged(int samplingStepPm) override;
    void statusMessage(const MeasurementStatus& status) override;
    void waitBeforeNextScan() override;
    void saveContinuousScan(const std::string& fileName) override;
    void resolutionWarning(const std::string& caption, const std::string& text) override;

    void execute(const OwnerRequest& request, OwnerDone& done);
    OwnerReply initiate();
    OwnerReply abort();
    OwnerReply reset();
    OwnerReply storeScan(const std::vector<ScpiParameter>& parameters);
    OwnerReply changeSetting(const OwnerRequest& request);

    void addEvent(ScpiError error);
    void log(const std::string& text) const;
    // The settings into the published state, then the state out.
    void publish();
    void refreshPassband();

    RemoteInstrumentSetup setup_;
    // The state being built, on the owner's thread.
    InstrumentState working_;
    // Protects published_ (the pointer; the state it points to never changes).
    mutable std::mutex publishedMutex_;
    InstrumentStatePtr published_;

    bool shuttingDown_ = false;
    std::optional<std::chrono::steady_clock::time_point> delayEnds_;
    // *OPC? and *WAI waiting for the end of the measurement.
    std::vector<std::pair<bool, OwnerDone>> completionWaiters_;
};
