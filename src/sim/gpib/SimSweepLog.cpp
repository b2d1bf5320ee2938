#include "SimSweepLog.h"

#include <algorithm>

namespace vemarsim {

double SimLaserSweep::wavelengthAt(SimClockPoint t) const
{
    if (t <= began) return startNm;
    if (t >= ends) return stopNm;
    const double fraction = std::chrono::duration<double>(t - began).count() /
                            std::chrono::duration<double>(ends - began).count();
    return startNm + (stopNm - startNm) * fraction;
}

std::uint64_t SimSweepLog::record(SimLaserSweep sweep)
{
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(mutex_);
        sequence = next_++;
        sweep.sequence = sequence;
        sweeps_.push_back(sweep);
    }
    changed_.notify_all();
    return sequence;
}

void SimSweepLog::interrupt(std::uint64_t sequence, double stopNm, SimClockPoint t)
{
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(sweeps_.begin(), sweeps_.end(),
                                    [sequence](const SimLaserSweep& s) { return s.sequence == sequence; });
    if (found == sweeps_.end()) return;  // forgotten by clear() meanwhile
    found->stopNm = stopNm;
    found->ends = t;
    found->interrupted = true;
}

std::vector<SimLaserSweep> SimSweepLog::all() const
{
    std::lock_guard lock(mutex_);
    return sweeps_;
}

std::vector<SimLaserSweep> SimSweepLog::after(std::uint64_t sequence) const
{
    std::lock_guard lock(mutex_);
    std::vector<SimLaserSweep> out;
    for (const SimLaserSweep& sweep : sweeps_)
        if (sweep.sequence > sequence) out.push_back(sweep);
    return out;
}

std::optional<SimLaserSweep> SimSweepLog::waitAfter(std::uint64_t sequence, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    auto newer = [this, sequence] { return !sweeps_.empty() && sweeps_.back().sequence > sequence; };
    if (!changed_.wait_for(lock, timeout, newer)) return std::nullopt;
    for (const SimLaserSweep& sweep : sweeps_)
        if (sweep.sequence > sequence) return sweep;
    return std::nullopt;
}

void SimSweepLog::clear()
{
    std::lock_guard lock(mutex_);
    sweeps_.clear();
}

}  // namespace vemarsim
