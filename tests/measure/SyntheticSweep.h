#pragma once

// Sweeps whose true frequency at every position is known, turned into what
// the DSP reports of them: the marks around every reference-line crossing,
// the transitions between chained sources and a reference signal that
// stands out at each mode hop.

#include <cmath>
#include <vector>

#include "CorrectSauts.h"

struct TruthSource {
    double startPosition = 0.0;  // base periods
    double f0 = 0.0;             // GHz at startPosition
    double rate = 0.125;         // GHz per base period
    double curvature = 0.0;      // GHz per base period squared
};

struct SyntheticSweep {
    int samplingStep = 5;
    int sampleCount = 20000;
    std::vector<TruthSource> sources;  // by ascending start position
    std::vector<int> hopSamples;       // the laser jumps between sample h - 1 and sample h
    std::vector<double> hopDrops;      // by this much (GHz; positive = to a lower frequency)
    std::vector<double> extraTransitions;  // positions of extra jumps (acquisition modes 2 and 3)

    // Sample positions at the centre of each window.
    double samplePosition(int j) const { return (samplingStep + 1) * 0.5 + j * samplingStep; }
    double hopPosition(std::size_t h) const { return samplePosition(hopSamples[h]) - samplingStep * 0.5; }
    double endPosition() const { return static_cast<double>(sampleCount) * samplingStep; }

    double frequency(double x) const
    {
        std::size_t q = 0;
        while (q + 1 < sources.size() && sources[q + 1].startPosition <= x) ++q;
        const TruthSource& source = sources[q];
        const double u = x - source.startPosition;
        double f = source.f0 - source.rate * u - source.curvature * u * u;
        for (std::size_t h = 0; h < hopSamples.size(); ++h) {
            if (hopPosition(h) <= x) f -= hopDrops[h];
        }
        return f;
    }

    // Position where the falling frequency crosses the line (bisection).
    double crossing(double line) const
    {
        double low = 0.0;
        double high = endPosition();
        for (int i = 0; i < 200 && high - low > 1e-9; ++i) {
            const double middle = (low + high) * 0.5;
            if (frequency(middle) > line)
                low = middle;
            else
                high = middle;
        }
        return (low + high) * 0.5;
    }

    // referenceLines descending; the nominal start and stop are the sweep's
    // true ends unless given.
    CorrectSautsIn input(const std::vector<double>& referenceLines) const
    {
        CorrectSautsIn in;
        in.sampleCount = sampleCount;
        in.samplingStep = samplingStep;
        in.flagB = 1;
        in.flagD = 1;
        in.firstSource = 0;
        in.endSource = static_cast<int>(sources.size());
        in.startFrequency = frequency(0.0);
        in.stopFrequency = frequency(endPosition());
        in.referenceLines = referenceLines;
        in.referenceLineCount = static_cast<int>(referenceLines.size());
        for (const double line : referenceLines) {
            if (line < frequency(0.0) && line > frequency(endPosition())) {
                const double x = crossing(line);
                in.marks.push_back(x - 3.0);
                in.marks.push_back(x + 3.0);
            }
        }
        in.markCount = static_cast<int>(in.marks.size());
        for (std::size_t q = 1; q < sources.size(); ++q) in.transitions.push_back(sources[q].startPosition);
        for (const double x : extraTransitions) in.transitions.push_back(x);
        in.transitionCount = static_cast<int>(in.transitions.size());
        in.referenceSignal.assign(static_cast<std::size_t>(sampleCount), 100.0);
        for (const int h : hopSamples) in.referenceSignal[static_cast<std::size_t>(h)] = 160.0;
        return in;
    }
};

// Reference lines 100 GHz apart from `first` down, `count` of them.
inline std::vector<double> gridLines(double first, int count, double spacing = 100.0)
{
    std::vector<double> lines;
    for (int i = 0; i < count; ++i) lines.push_back(first - spacing * i);
    return lines;
}
