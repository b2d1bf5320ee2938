#include "CentralWavelength.h"

#include "LevelCrossings.h"
#include "Passband_Value.h"
#include "Units.h"

float CentralWavelength::compute(const CurveSegment& segment, std::size_t peak) const
{
    const Crossings c = levelCrossings(-3.0f, segment, peak, Unit::Nm);
    if (c.right == noneMarker || c.left == noneMarker) return noneMarker;
    return (c.right + c.left) * 0.5f;
}
