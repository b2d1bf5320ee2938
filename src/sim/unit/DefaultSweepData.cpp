#include "DefaultSweepData.h"

#include <algorithm>

namespace vemarsim {

double DefaultSweepData::triggerArmed(const AcquisitionSettings&)
{
    return 0.5;  // a short sweep
}

std::vector<std::uint16_t> DefaultSweepData::words(UnitArray array, const AcquisitionSettings& settings)
{
    const std::uint32_t n = sampleCount_;
    std::vector<std::uint16_t> out;
    auto fill = [&](std::uint32_t count, auto value) {
        out.resize(count);
        for (std::uint32_t i = 0; i < count; ++i) out[i] = static_cast<std::uint16_t>(value(i));
    };
    switch (array) {
    case UnitArray::Output: fill(n, [](std::uint32_t i) { return 3500 + (i * 7) % 64; }); break;
    case UnitArray::Detector1:
    case UnitArray::Detector2:
    case UnitArray::Detector3:
    case UnitArray::Detector4: {
        const int d = static_cast<int>(array) - static_cast<int>(UnitArray::Detector1);
        fill(n, [d](std::uint32_t i) { return 3000 - 200 * d + (i * 13 + 5 * d) % 97; });
        break;
    }
    case UnitArray::Orl:
    case UnitArray::Aux:
    case UnitArray::Ext: fill(n, [](std::uint32_t i) { return 1400 + (i * 3) % 50; }); break;
    // A sample lasts about 59 × 64 ticks of 150 MHz: 1 pm at 40 nm/s.
    case UnitArray::ReferenceSignal: fill(n, [](std::uint32_t i) { return 58 + i % 3; }); break;
    case UnitArray::MarkSteps: {
        const std::uint32_t marks = std::max<std::uint32_t>(settings.markCount, 8);
        const std::uint32_t step = std::max<std::uint32_t>(n / marks, 1) * 59;
        fill(marks, [step](std::uint32_t) { return std::min<std::uint32_t>(step, 0xFFFF); });
        break;
    }
    default: break;
    }
    return out;
}

std::vector<std::uint32_t> DefaultSweepData::dwords(UnitArray array, const AcquisitionSettings&)
{
    if (array == UnitArray::JumpIndexes) return {sampleCount_ > 0 ? sampleCount_ - 1 : 0};
    return {};
}

std::array<std::uint16_t, 10> DefaultSweepData::sampleLevels(const AcquisitionSettings&)
{
    return {3500, 0, 3000, 2800, 2600, 2400, 0, 1400, 0, 2000};
}

std::uint16_t DefaultSweepData::statusBits(const AcquisitionSettings&) { return 0; }

}  // namespace vemarsim
