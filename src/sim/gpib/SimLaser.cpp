#include "SimLaser.h"

#include <cmath>

#include "vemar_sim_gpib.h"

namespace vemarsim {
namespace {
// Wavelengths typed with three decimals may sit a hair outside the range.
constexpr double rangeToleranceNm = 1e-6;
}

SimLaser::SimLaser(const SimInstrumentSetup& setup, SimSweepLog& sweeps, const Limits& limits)
    : SimInstrument(setup),
      sweeps_(sweeps),
      limits_(limits),
      lambdaMin_(setup.lambdaMinNm),
      lambdaMax_(setup.lambdaMaxNm),
      speed_(setup.speedNmPerS > 0.0 ? setup.speedNmPerS : limits.defaultSpeedNmPerS),
      moveFrom_(setup.wavelengthNm > 0.0 ? setup.wavelengthNm : setup.lambdaMinNm),
      moveTo_(moveFrom_)
{
}

SimLaserState SimLaser::state() const
{
    std::lock_guard lock(mutex_);
    const SimClockPoint now = std::chrono::steady_clock::now();
    SimLaserState s;
    s.address = address();
    s.type = type();
    s.outputOn = outputOn_;
    s.moving = movingAt(now);
    s.remote = remote();
    s.powerMw = powerMw_;
    s.wavelengthNm = wavelengthAt(now);
    s.speedNmPerS = speed_;
    s.current = current_;
    s.auxWavelengthNm = auxWavelength_;
    s.lambdaMinNm = lambdaMin_;
    s.lambdaMaxNm = lambdaMax_;
    return s;
}

void SimLaser::setRange(double lambdaMinNm, double lambdaMaxNm)
{
    std::lock_guard lock(mutex_);
    lambdaMin_ = lambdaMinNm;
    lambdaMax_ = lambdaMaxNm;
}

double SimLaser::wavelengthAt(SimClockPoint now) const
{
    if (now >= moveEnds_) return moveTo_;
    if (now <= moveBegan_) return moveFrom_;
    const double fraction = std::chrono::duration<double>(now - moveBegan_).count() /
                            std::chrono::duration<double>(moveEnds_ - moveBegan_).count();
    return moveFrom_ + (moveTo_ - moveFrom_) * fraction;
}

bool SimLaser::inRange(double wavelengthNm) const
{
    return wavelengthNm >= lambdaMin_ - rangeToleranceNm && wavelengthNm <= lambdaMax_ + rangeToleranceNm;
}

bool SimLaser::readyAt(SimClockPoint now) const { return !hasFlag(VEMARSIM_GPIB_SILENT) && !movingAt(now); }

bool SimLaser::setPowerMw(double powerMw)
{
    if (hasFlag(VEMARSIM_GPIB_REFUSE_POWER) || !(powerMw >= 0.0 && powerMw <= limits_.maxPowerMw)) {
        invalidValue();
        return false;
    }
    powerMw_ = powerMw;
    return true;
}

bool SimLaser::setPowerDbm(double powerDbm)
{
    if (!std::isfinite(powerDbm)) {
        invalidValue();
        return false;
    }
    return setPowerMw(std::pow(10.0, powerDbm / 10.0));
}

bool SimLaser::moveTo(double wavelengthNm)
{
    if (hasFlag(VEMARSIM_GPIB_REFUSE_WAVELENGTH) || !inRange(wavelengthNm)) {
        invalidValue();
        return false;
    }
    const SimClockPoint now = std::chrono::steady_clock::now();
    const double from = wavelengthAt(now);
    if (movingAt(now) && moveSweep_ != 0) sweeps_.interrupt(moveSweep_, from, now);
    const double durationS = std::fabs(wavelengthNm - from) / speed_;
    moveFrom_ = from;
    moveTo_ = wavelengthNm;
    moveBegan_ = now;
    moveEnds_ = now + realDuration(durationS);
    moveSweep_ = 0;
    if (durationS > 0.0) {
        SimLaserSweep sweep;
        sweep.address = address();
        sweep.type = type();
        sweep.startNm = from;
        sweep.stopNm = wavelengthNm;
        sweep.speedNmPerS = speed_;
        sweep.powerMw = powerMw_;
        sweep.outputOn = outputOn_;
        sweep.began = moveBegan_;
        sweep.ends = moveEnds_;
        sweep.durationS = durationS;
        moveSweep_ = sweeps_.record(sweep);
    }
    return true;
}

bool SimLaser::setSpeed(double speedNmPerS)
{
    if (hasFlag(VEMARSIM_GPIB_REFUSE_SPEED) || !(speedNmPerS > 0.0 && speedNmPerS <= limits_.maxSpeedNmPerS)) {
        invalidValue();
        return false;
    }
    speed_ = speedNmPerS;
    return true;
}

bool SimLaser::setCurrent(double current)
{
    if (!(current >= 0.0 && current <= limits_.maxCurrent)) {
        invalidValue();
        return false;
    }
    current_ = current;
    return true;
}

bool SimLaser::setAuxWavelength(double wavelengthNm)
{
    if (!inRange(wavelengthNm)) {
        invalidValue();
        return false;
    }
    auxWavelength_ = wavelengthNm;
    return true;
}

}  // namespace vemarsim
