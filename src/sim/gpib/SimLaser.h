#pragma once

// A simulated tunable laser: output state, power, wavelength, move speed,
// current. A wavelength move takes |distance| / speed simulated seconds and
// is recorded as a sweep; a new move during a move starts from where the
// laser is and cuts the old sweep short. Values outside the laser's limits
// (or refused by its behaviour flags) are rejected as invalid values.

#include <cstdint>
#include <string_view>

#include "SimInstrument.h"
#include "SimSweepLog.h"

namespace vemarsim {

struct SimLaserState {
    int address = 0;
    int type = 0;
    bool outputOn = false;
    bool moving = false;
    bool remote = true;
    double powerMw = 0.0;
    double wavelengthNm = 0.0;
    double speedNmPerS = 0.0;
    double current = 0.0;
    double auxWavelengthNm = 0.0;
    double lambdaMinNm = 0.0;
    double lambdaMaxNm = 0.0;
};

class SimLaser : public SimInstrument {
public:
    struct Limits {
        double defaultSpeedNmPerS = 100.0;
        double maxSpeedNmPerS = 100.0;
        double maxPowerMw = 10.0;
        double maxCurrent = 500.0;
    };

    SimLaser(const SimInstrumentSetup& setup, SimSweepLog& sweeps, const Limits& limits);

    SimLaserState state() const;
    // The range of a followed source record changed; the laser keeps its state.
    void setRange(double lambdaMinNm, double lambdaMaxNm);

protected:
    // Everything below runs with mutex_ held. The setters flag an invalid
    // value and return false when they refuse.
    bool setPowerMw(double powerMw);
    bool setPowerDbm(double powerDbm);
    bool moveTo(double wavelengthNm);
    bool setSpeed(double speedNmPerS);
    bool setCurrent(double current);
    bool setAuxWavelength(double wavelengthNm);
    void setOutput(bool on) { outputOn_ = on; }

    bool movingAt(SimClockPoint now) const { return now < moveEnds_; }
    // Finished with every operation: not moving (a silent laser never is).
    bool readyAt(SimClockPoint now) const;
    // "*OPC?": the answer comes once the current move has ended.
    void answerWhenIdle(std::string_view text) { answerAt(text, moveEnds_); }

private:
    double wavelengthAt(SimClockPoint now) const;
    bool inRange(double wavelengthNm) const;

    SimSweepLog& sweeps_;
    const Limits limits_;
    double lambdaMin_;
    double lambdaMax_;
    bool outputOn_ = false;
    double powerMw_ = 1.0;
    double current_ = 0.0;
    double auxWavelength_ = 0.0;
    double speed_;
    // The current (or last) move.
    double moveFrom_;
    double moveTo_;
    SimClockPoint moveBegan_{};
    SimClockPoint moveEnds_{};
    std::uint64_t moveSweep_ = 0;
};

}  // namespace vemarsim
