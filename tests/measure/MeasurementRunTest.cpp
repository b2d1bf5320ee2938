// How a measurement runs and ends on the simulated bench: cancel, scan
// limits, envelopes, automatic saving, the resolution box, the input power
// check, source failures and link faults.

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "CurveChecks.h"
#include "DspError.h"
#include "DspProtocol.h"
#include "MeasurementFixture.h"

namespace {

using namespace curvecheck;
using Strings = std::vector<std::string>;

class MeasurementRunTest : public MeasurementTest {
protected:
    // A short scan of one source.
    void oneSource(double start = 1549.0, double stop = 1551.0)
    {
        addSource(0, 1240.0, 1680.0);
        setScanRange(start, stop);
        addCurves();
    }
    void continuous(int limit)
    {
        settings->measurementType = 1;
        settings->scanLimitEnabled = true;
        settings->scanLimit = limit;
    }
    static std::vector<std::string> kinds(const RecordingListener& listener)
    {
        std::vector<std::string> out;
        for (const auto& m : listener.messages())
            if (m.kind != "status") out.push_back(m.kind);
        return out;
    }
    // Mean distance between the envelopes of curve "1".
    double envelopeWidth() const
    {
        const ScanData& data = trace.FindCurve("1")->data();
        double sum = 0.0;
        for (int i = 0; i < data.count(); ++i) sum += data.YMax(i) - data.YMin(i);
        return data.count() > 0 ? sum / data.count() : 0.0;
    }
};

TEST_F(MeasurementRunTest, CancelDuringTheSweepLeavesTheTraceAsItWas)
{
    oneSource(1545.0, 1555.0);
    {
        RecordingListener first;
        measure(first);
        ASSERT_EQ(first.of("completed").size(), 1u);
    }
    const Points before = pointsOf(trace, "1");
    ASSERT_GT(before.x.size(), 1000u);

    // The second scan is cancelled while source 0 sweeps (0.5 s of
    // simulated time, 50 ms here).
    setTimeScale(0.1);
    RecordingListener listener;
    std::atomic<bool> acquiring{false};
    listener.onStatus = [&](int, const std::string& text) {
        if (text == "Data acquisition") {
            vemarsim_unit_clear_record();
            acquiring = true;
        }
    };
    const auto thread = startMeasurement(listener);
    listener.thread = thread.get();
    bool cancelledWhileMoving = false;
    for (int i = 0; i < 5000 && !thread->finished(); ++i) {
        VemarSimGpibLaserState laser{};
        if (acquiring && vemarsim_gpib_laser_state(1, &laser) == 0 && laser.moving) {
            thread->requestCancel();
            cancelledWhileMoving = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    thread->wait();
    ASSERT_TRUE(cancelledWhileMoving);

    const auto messages = listener.messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2].kind, "status");
    EXPECT_EQ(messages[messages.size() - 2].severity, 2);
    EXPECT_EQ(messages[messages.size() - 2].text, "The measurement has been canceled by the user");
    EXPECT_EQ(messages.back().kind, "ended");
    EXPECT_TRUE(listener.of("completed").empty());
    const Points after = pointsOf(trace, "1");
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    // The acquisition was stopped and nothing was read back.
    const auto codes = receivedCommands();
    EXPECT_NE(std::find(codes.begin(), codes.end(), DSP_ACQ_STOP), codes.end());
    EXPECT_EQ(std::find(codes.begin(), codes.end(), DSP_READ_OUTPUT), codes.end());
}

TEST_F(MeasurementRunTest, CancelWhileWaitingForATriggeredSweep)
{
    oneSource(1545.0, 1555.0);
    settings->scanParameters.trigger = 1;
    buildTriggeredBench(1545.0, 1555.0);
    ASSERT_EQ(sources.sources[0].ApplyPower(1.0f), 0);
    ASSERT_EQ(sources.sources[0].ApplySpeed(1), 0);  // 10 s of sweep
    setTimeScale(0.1);
    RecordingListener listener;
    listener.onStatus = [&](int, const std::string& text) {
        if (text == "Data acquisition") vemarsim_unit_clear_record();
    };
    const auto thread = startMeasurement(listener);
    listener.thread = thread.get();
    // Armed: the DSP waits for the end of the sweep.
    for (int i = 0; i < 5000; ++i) {
        const auto codes = receivedCommands();
        if (std::find(codes.begin(), codes.end(), DSP_ARM_TRIGGER) != codes.end()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    thread->requestCancel();
    thread->wait();
    EXPECT_EQ(listener.lastStatus().text, "The measurement has been canceled by the user");
    const auto codes = receivedCommands();
    const auto armed = std::find(codes.begin(), codes.end(), DSP_ARM_TRIGGER);
    ASSERT_NE(armed, codes.end());
    EXPECT_NE(std::find(armed, codes.end(), DSP_ACQ_STOP), codes.end());
    EXPECT_EQ(std::find(codes.begin(), codes.end(), DSP_READ_OUTPUT), codes.end());
}

TEST_F(MeasurementRunTest, ContinuousRunStopsAtItsScanLimit)
{
    usePreset("patchcord");
    oneSource();
    continuous(3);
    RecordingListener listener;
    measure(listener);
    // No wait after the third scan.
    EXPECT_EQ(kinds(listener), (Strings{"completed", "wait", "completed", "wait", "completed", "ended"}));
    EXPECT_EQ(trace.FindCurve("1")->data().nbScan(), 3);
}

TEST_F(MeasurementRunTest, EnvelopesWidenOverANoisySeries)
{
    usePreset("noisy");
    oneSource();
    continuous(4);
    RecordingListener listener;
    std::vector<double> widths;
    listener.onScanCompleted = [&] { widths.push_back(envelopeWidth()); };
    measure(listener);
    ASSERT_EQ(widths.size(), 4u);
    EXPECT_EQ(widths[0], 0.0);
    EXPECT_GT(widths[1], 0.01);
    EXPECT_GT(widths[3], widths[1] * 1.1);
}

TEST_F(MeasurementRunTest, EnvelopesRestartEveryModuloScans)
{
    usePreset("noisy");
    oneSource();
    continuous(5);
    settings->minMaxResetEnabled = true;
    settings->minMaxResetModulo = 2;
    RecordingListener listener;
    std::vector<double> widths;
    listener.onScanCompleted = [&] { widths.push_back(envelopeWidth()); };
    measure(listener);
    // With modulo 2 the envelopes restart after scan 3, then after every second scan.
    ASSERT_EQ(widths.size(), 5u);
    EXPECT_EQ(widths[0], 0.0);
    EXPECT_GT(widths[1], 0.0);
    EXPECT_EQ(widths[2], 0.0);
    EXPECT_GT(widths[3], 0.0);
    EXPECT_EQ(widths[4], 0.0);
    // The scan count goes on.
    EXPECT_EQ(trace.FindCurve("1")->data().nbScan(), 5);
}

TEST_F(MeasurementRunTest, AutomaticSavingNamesTheSeriesFolder)
{
    usePreset("patchcord");
    oneSource();
    continuous(2);
    settings->scanSaveEnabled = true;
    settings->scanFilesFolder = documents.str();
    RecordingListener listener;
    measure(listener, [] { return ScanDateTime{2024, 3, 3, 9, 5, 7}; });

    const std::string name = "Continuous_Scan__y2024_m03_d03__h09_m05_s07";
    const auto saves = listener.of("save");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].text, documents.str() + "/" + name + "/" + name);
    EXPECT_TRUE(std::filesystem::is_directory(documents.path() / name));
    EXPECT_EQ(kinds(listener), (Strings{"completed", "save", "wait", "completed", "save", "ended"}));
}

TEST_F(MeasurementRunTest, StepTooFineForTheMemoryIsRaised)
{
    // 1 pm over the whole band with four detectors: the memory holds 5 pm.
    addSource(0, 1240.0, 1680.0);
    setScanRange(1240.0, 1680.0);
    sources.speed = 100;
    addCurves();
    RecordingListener listener;
    measure(listener);

    const auto boxes = listener.of("resolution");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Invalid sampling  resolution|The current sampling resolution do not allow to memorize all the points.\n"
              " The sampling resolution has been set to 5pm");
    ASSERT_EQ(listener.of("step").size(), 1u);
    EXPECT_EQ(listener.of("step")[0].severity, 5);
    // The owner copies the step (MeasurementSessionTest): the thread leaves
    // the owner's settings alone.
    EXPECT_EQ(settings->scanParameters.samplingStep, 1);
    const auto completed = listener.of("completed");
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0].text.rfind("Sampling res.: 5 pm    TLS 1: ", 0), 0u) << completed[0].text;
    // The whole band, sample after sample.
    expectContinuous(pointsOf(trace, "2"), 1240.01, 1679.99, 0.01);
    int compared = 0;
    EXPECT_LT(passbandError(pointsOf(trace, "2"), 2, 0.5, compared), 0.05);
}

TEST_F(MeasurementRunTest, InputPowerCheckWarnsOnceBeforeTheScans)
{
    struct Case {
        const char* preset;
        std::string warning;
        std::string last;
    };
    const Case cases[] = {
        {"dwdm", "", "Data acquisition"},
        // The second source's light never arrives: its sweep cannot be referenced either.
        {"faultypower", "power too low on IN port 2", "error in the wavelength referencing: check TLS sources"},
        {"spurious", "spurious input power: ckeck set-up", "spurious input power: ckeck set-up"},
    };
    // Three sources: 0 and 2 share a laser input and take turns.
    addSource(0, 1500.0, 1546.0);
    addSource(1, 1544.0, 1551.0);
    addSource(2, 1549.0, 1600.0);
    setScanRange(1541.0, 1555.0);
    addCurves();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.preset);
        usePreset(k.preset);
        RecordingListener listener;
        measure(listener);
        std::vector<std::string> warnings;
        for (const auto& m : listener.of("status"))
            if (m.severity == 1) warnings.push_back(m.text);
        if (k.warning.empty()) {
            EXPECT_TRUE(warnings.empty());
            EXPECT_EQ(listener.statusTexts(), (Strings{"", "Source configuration", "Data acquisition", ""}));
            expectContinuous(pointsOf(trace, "1"), 1541.01, 1554.99, 0.01);
            for (int d = 1; d <= 4; ++d) {
                int compared = 0;
                EXPECT_LT(passbandError(pointsOf(trace, std::to_string(d).c_str()), d, 0.5, compared), 0.05) << d;
            }
        } else {
            ASSERT_FALSE(warnings.empty());
            EXPECT_EQ(warnings.front(), k.warning);
            // While the warning shows, the progress texts are not posted.
            const Strings texts = listener.statusTexts();
            EXPECT_EQ(std::count(texts.begin(), texts.end(), "Source configuration"), 0);
            EXPECT_EQ(listener.lastStatus().text, k.last);
        }
        EXPECT_EQ(listener.messages().back().kind, "ended");
    }
}

TEST_F(MeasurementRunTest, SourceThatStopsShortIsReportedAndTheSeriesGoesOn)
{
    // The laser at address 1 ends at 1555 nm; its record claims 1680 nm.
    vemarsim_gpib_declare_bus(std::vector<VemarSimGpibInstrument>{{1, 0, 1240.0, 1555.0, 1500.0, 20.0, 0}}.data(), 1);
    addSource(0, 1240.0, 1680.0);
    sources.sources[0].SetType(0);
    setScanRange(1545.0, 1558.0);
    addCurves();
    continuous(2);
    RecordingListener listener;
    int failures = 0;
    listener.onStatus = [&](int severity, const std::string& text) {
        if (severity == 2 && ++failures == 2) listener.thread.load()->markLast();
    };
    measure(listener);
    vemarsim_gpib_follow_sources();
    const auto red = listener.of("status");
    Strings errors;
    for (const auto& m : red)
        if (m.severity == 2) errors.push_back(m.text);
    EXPECT_EQ(errors, (Strings{"Invalid Wavelength(1558.000 nm) on TLS1.", "Invalid Wavelength(1558.000 nm) on TLS1."}));
    EXPECT_TRUE(listener.of("completed").empty());
    EXPECT_EQ(listener.messages().back().kind, "ended");
}

TEST_F(MeasurementRunTest, AFailedScanLeavesTheTracesResultAsItWas)
{
    // Two sources on the two laser inputs. On the second bench the light of
    // source 2 never arrives: its sweep cannot be referenced, after the
    // first source's sweep was processed. The trace keeps the last good
    // scan whole, its raw result with its curves.
    addSource(0, 1500.0, 1546.0);
    addSource(1, 1544.0, 1600.0);
    setScanRange(1541.0, 1549.0);
    addCurves();
    {
        RecordingListener good;
        measure(good);
        ASSERT_EQ(good.of("completed").size(), 1u);
    }
    const ScanRes before = trace.result();
    const Points curve = pointsOf(trace, "1");
    usePreset("faultypower");
    RecordingListener failed;
    measure(failed);
    EXPECT_EQ(failed.lastStatus().text, "error in the wavelength referencing: check TLS sources");
    EXPECT_EQ(failed.lastStatus().code, 3);
    EXPECT_TRUE(failed.of("completed").empty());
    EXPECT_EQ(trace.result().wavelength, before.wavelength);
    EXPECT_EQ(trace.result().values[0], before.values[0]);
    EXPECT_EQ(trace.result().resampledWavelength, before.resampledWavelength);
    EXPECT_EQ(trace.result().endSource, before.endSource);
    EXPECT_EQ(pointsOf(trace, "1").y, curve.y);
}

TEST_F(MeasurementRunTest, LinkFaultsEndTheMeasurementInOrder)
{
    struct Case {
        const char* name;
        int fault;
        int arg;
        bool beforeStart;
        std::string text;
    };
    const std::string communication = "failure in the communication with the DSP";
    const Case cases[] = {
        {"serial error flag", VEMARSIM_FAULT_ACK_SERIAL_ERROR, 0, false, "C_DspFlashAccess::CheckCmdAnswer() Serial Com Error"},
        {"flash error flag", VEMARSIM_FAULT_ACK_FLASH_ERROR, 0, false, "C_DspFlashAccess::CheckCmdAnswer() FLash Access Error"},
        {"acknowledgement checksum", VEMARSIM_FAULT_ACK_CHECKSUM, 0, false, "C_DspFlashAccess::CheckCmdAnswer() Cheksum Error"},
        {"configuration refused", VEMARSIM_FAULT_ACK_SERIAL_ERROR, 0, true, "C_DspFlashAccess::CheckCmdAnswer() Serial Com Error"},
        {"block checksum", VEMARSIM_FAULT_BLOCK_CHECKSUM, 0, false, communication},
        {"block error flag", VEMARSIM_FAULT_BLOCK_ERROR_FLAG, 0, false, communication},
        {"no answer", VEMARSIM_FAULT_NO_ANSWER, 0, false, communication},
        {"unplugged", VEMARSIM_FAULT_UNPLUG, 0, false, communication},
    };
    oneSource();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        vemarsim_unit_reset();
        usePreset("dwdm");
        RecordingListener listener;
        listener.onStatus = [&](int, const std::string& text) {
            if (!k.beforeStart && text == "Data acquisition") vemarsim_unit_inject_fault(k.fault, k.arg);
        };
        if (k.beforeStart) vemarsim_unit_inject_fault(k.fault, k.arg);
        measure(listener);
        const auto messages = listener.messages();
        ASSERT_GE(messages.size(), 2u);
        EXPECT_EQ(messages[messages.size() - 2].kind, "status");
        EXPECT_EQ(messages[messages.size() - 2].severity, 2);
        EXPECT_EQ(messages[messages.size() - 2].text, k.text);
        EXPECT_EQ(messages.back().kind, "ended");
        EXPECT_TRUE(listener.of("completed").empty());
        UsbClose();
    }
}

TEST_F(MeasurementRunTest, DestroyingTheThreadStopsTheRun)
{
    usePreset("patchcord");
    oneSource();
    settings->measurementType = 1;  // no limit: only a stop ends it
    RecordingListener listener;
    {
        const auto thread = startMeasurement(listener);
        listener.thread = thread.get();
        for (int i = 0; i < 5000 && listener.of("completed").empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(listener.of("completed").empty());
    EXPECT_EQ(listener.messages().back().kind, "ended");
}

TEST_F(MeasurementRunTest, SwitchSelectsTheSource)
{
    // A switch at address 9 whose channels start at 3: it closes the first
    // source's channel, and the DSP sees every source on its first input.
    usePreset("patchcord");
    oneSource();
    ScanParameterBlock& b = settings->scanParameters;
    b.switchActive = 1;
    b.switchAddress = 9;
    b.switchStartChannel = 3;
    b.switchPortOffset = 2;
    buildBench();
    RecordingListener listener;
    measure(listener);
    EXPECT_EQ(listener.statusTexts(), (Strings{"", "Source configuration", "Data acquisition", ""}));
    EXPECT_EQ(vemarsim_gpib_switch_channel(), 3);
    EXPECT_EQ(listener.of("completed").size(), 1u);
    vemarsim_gpib_set_switch_address(1);
}

TEST_F(MeasurementRunTest, SweepReadWithoutItsMarksIsNotReferenced)
{
    // Flag A off: neither marks nor the reference signal are read, so the
    // samples cannot be given wavelengths.
    usePreset("patchcord");
    oneSource();
    settings->scanParameters.flagA = 0;
    RecordingListener listener;
    measure(listener);
    EXPECT_EQ(listener.lastStatus().text, "error in the wavelength referencing: check TLS sources");
    EXPECT_TRUE(listener.of("completed").empty());
}

TEST_F(MeasurementRunTest, SlowSweepIsAWarningAndStillATrace)
{
    usePreset("patchcord");
    oneSource(1549.5, 1550.5);
    sources.speed = 5;
    RecordingListener listener;
    measure(listener);
    const auto last = listener.lastStatus();
    EXPECT_EQ(last.severity, 1);
    EXPECT_EQ(last.text, "scan speed too low");
    EXPECT_EQ(listener.of("completed").size(), 1u);
    EXPECT_GT(trace.FindCurve("1")->data().count(), 100);
}

}  // namespace
