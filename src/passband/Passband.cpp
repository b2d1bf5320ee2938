#include "Passband.h"

#include <chrono>
#include <stdexcept>

#include "ChannelIsolation.h"
#include "CurveSegment.h"
#include "Log.h"
#include "ScanManagerCurves.h"
#include "SelectedTraceCurves.h"
#include "Units.h"

Passband::Passband(const ScanManager& scans) : Passband(std::make_unique<ScanManagerCurves>(scans)) {}

Passband::Passband(const SelectedTraceCurves& scans) : scans_(scans) { observeParameters(); }

Passband::Passband(std::unique_ptr<SelectedTraceCurves> view) : ownView_(std::move(view)), scans_(*ownView_)
{
    observeParameters();
}

void Passband::observeParameters()
{
    forEachParameter([this](auto& p) { p.addObserver(*this); });
}

Passband::~Passband()
{
    forEachParameter([this](auto& p) { p.removeObserver(*this); });
}

void Passband::update()
{
    clearResults();
    analyse();
}

void Passband::clearResults()
{
    results_.clear();
    results_.setChanged();
    results_.notifyAll();
}

void Passband::analyse()
{
    const auto started = std::chrono::steady_clock::now();
    const Grid* const g = grid.getCurrent();
    results_.beginAnalysis();
    if (g == nullptr) {
        // Only reachable by setting a type without a grid from code; loads
        // fall back to the first grid.
        Log::warn("Passband::analyse no grid of type %d\n", static_cast<int>(grid.gridType.value()));
        return;
    }
    const float first = g->firstWavelength();
    const float last = g->lastWavelength();
    const int count = scans_.curveCount();
    for (int i = 0; i < count; ++i) {
        if (const auto curve = scans_.curve(i)) {
            Log::error("%s\n", curve->name.c_str());
            analyseCurve(curve->name, curve->wavelengthNm, curve->levelDb, curve->count, *g, first, last);
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
        Log::fatal("Total Time %d ms\n", static_cast<int>(elapsed.count()));
        results_.fold();
        results_.setChanged();
        results_.notifyAll();
    }
}

void Passband::analyseCurve(const std::string& name, const double* wavelengthNm, const double* levelDb,
                            std::size_t count, const Grid& g, float first, float last)
{
    const int gridUnit = g.unit();
    const int centralUnit = gridUnit == Unit::GHz ? Unit::THz : gridUnit;
    const float levels[3] = {bandwidth1.value(), bandwidth2.value(), bandwidth3.value()};
    try {
        const CurveSegment segment = CurveSegment::search(wavelengthNm, levelDb, count, first, last);
        const ChannelIsolation isolation(segment, g, owr.value());
        for (const std::size_t p : bandwidth_.findChannels(threshold.value(), segment)) {
            try {
                const float central = centralWavelength_.compute(segment, p);
                if (central == noneMarker) continue;
                Passband_Value record;
                record.values[Passband_Value::Central] =
                    static_cast<float>(convertUnit(central, Unit::Nm, centralUnit));
                record.values[Passband_Value::PeakLevel] = static_cast<float>(segment.levelDb[p]);
                const std::uint16_t ch = g.getChannel(central, Unit::Nm);
                record.values[Passband_Value::CentreAccuracy] =
                    static_cast<float>(convertUnit(central, Unit::Nm, gridUnit) - g.get(ch));
                for (int k = 0; k < 3; ++k)
                    record.values[Passband_Value::Bandwidth1 + k] =
                        bandwidth_.compute(segment, p, levels[k], gridUnit);
                const ChannelIsolation::Levels window = isolation.window(ch);
                if (window.min != -noneMarker && window.max != noneMarker) {
                    record.values[Passband_Value::MaxInsertionLoss] = -window.min;
                    record.values[Passband_Value::Ripple] = window.max - window.min;
                }
                record.values[Passband_Value::Adjacent] = isolation.adjacentIsolation(ch);
                record.values[Passband_Value::NonAdjacent] = isolation.nonAdjacentIsolation(ch);
                results_.add(name, ch, record);
            } catch (const std::out_of_range&) {
                Log::warn("std::out_of_range\n");
            } catch (const std::invalid_argument&) {
                Log::warn("std::invalid_argument\n");
            }
        }
    } catch (const std::out_of_range&) {
        Log::warn(" Passband::analyse Curve Segment not fount trace :%.128s, grid( %.3f, %.3f ) \n", name.c_str(),
                  first, last);
    }
}

void Passband::lockParameters()
{
    forEachParameter([](auto& p) { p.setLocked(true); });
    alarms.lockAll();
}

void Passband::unlockParameters()
{
    forEachParameter([](auto& p) { p.setLocked(false); });
    alarms.unlockAll();
}
