#include "StartAlignment.h"

#include <vector>

#include "Log.h"
#include "Sourceconfig.h"
#include "TabCalib.h"
#include "Frequency.h"

namespace StartAlignment {

namespace {
// A line spacing is about 100 GHz; a table whose neighbours lie further
// apart than this is not one to align on.
constexpr int largestShift = 100000;
}  // namespace

std::optional<int> shiftFor(std::span<const double> lines, double m, bool firstSource)
{
    std::size_t k = 0;
    while (k < lines.size() && !(lines[k] <= m)) ++k;
    if (k == 0 || k == lines.size()) return std::nullopt;
    const double upper = lines[k - 1];
    const double lower = lines[k];
    const double spacing = upper - lower;
    if (!(spacing > 0.0)) return std::nullopt;
    int shift = 0;
    if (firstSource) {
        while ((upper - m - shift) / spacing > 0.45)
            if (++shift > largestShift) return std::nullopt;
    } else {
        while ((upper - m - shift) / spacing < 1.0)
            if (--shift < -largestShift) return std::nullopt;
    }
    return shift;
}

void AlignSources(ConfLaser& sources, TabCalib& calib, bool trigger)
{
    std::vector<double> lines;
    calib.ReferenceFrequencies(lines, static_cast<int>((calib.LowestReference() + calib.HighestReference()) / 2));
    for (int i = sources.firstActive; i < sources.endActive && i < ConfLaser::sourceCount; ++i) {
        SourceConfig& source = sources.sources[static_cast<std::size_t>(i)];
        double m = gigahertzNm / source.start;
        const int shift = shiftFor(lines, m, i == sources.firstActive).value_or(0);
        m += shift;
        if (trigger && i == 0) {
            source.SetLambdaMin(source.start);
            source.SetLambdaMax(source.stop);
        }
        if (gigahertzNm / m < source.lambdaMin) {
            source.startShift = 0.0;
        } else {
            source.SetStart(gigahertzNm / m);
            source.startShift = shift;
        }
        if (!trigger) {
            if (const int r = source.MoveToStart(); r != 0)
                Log::warn("StartAlignment: TLS%d did not move to its aligned start (%d)\n", i + 1, r);
        }
    }
}

}  // namespace StartAlignment
