#include "ScanManagerCurves.h"

#include <algorithm>

#include "Scanmanager.h"

int ScanManagerCurves::curveCount() const { return scans_.Current().CurveCount(); }

std::optional<CurveView> ScanManagerCurves::curve(int index) const
{
    const ScanCurve* curve = scans_.Current().CurveAt(index);
    if (curve == nullptr) return std::nullopt;
    const ScanData& data = curve->data();
    // Only the first count() entries are points; never read past either array.
    const std::size_t count = std::min({static_cast<std::size_t>(std::max(data.count(), 0)), data.x().size(),
                                        data.y().size()});
    return CurveView{curve->name(), count, data.x().data(), data.y().data()};
}
