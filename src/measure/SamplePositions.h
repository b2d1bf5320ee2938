#pragma once

// The position of every sample of a sweep, in base acquisition periods, as
// the mode-hop correction takes hops out of it: each hop lowers the
// positions from its sample to the end of the sweep by its excess.
//
// PlainSamplePositions does exactly that, O(samples) per hop. With up to a
// thousand hops on 333 333 samples that is too slow for a scan, so
// OffsetSamplePositions keeps the positions as their formula minus a step
// function of accumulated offsets (one step per hop) and answers the same
// questions in O(hops · log samples). The two agree to rounding (the plain
// form subtracts hop by hop, the fast one subtracts the sum); the tests hold
// them against each other.

#include <span>
#include <vector>

#include "QuadraticFit.h"

// Base positions: sample j covers the periods j·s + 1 to (j + 1)·s; with
// centreOfWindow (and s > 1) its position is the window's centre
// (s + 1)/2 + j·s, otherwise its first period j·s + 1.
struct SamplePositionFormula {
    double first = 1.0;  // position of sample 0
    double step = 1.0;   // s

    SamplePositionFormula(int samplingStep, bool centreOfWindow)
        : first(samplingStep == 1 || !centreOfWindow ? 1.0 : (samplingStep + 1) * 0.5), step(samplingStep)
    {
    }
    double operator()(int j) const { return j * step + first; }
};

class PlainSamplePositions {
public:
    PlainSamplePositions(int sampleCount, SamplePositionFormula formula);
    int count() const { return static_cast<int>(positions_.size()); }
    double value(int k) const { return positions_[static_cast<std::size_t>(k)]; }
    // First sample from `from` on whose position is >= limit; count() when none.
    int firstAtOrAbove(int from, double limit) const;
    // Last sample below `to` whose position is <= limit; -1 when none.
    int lastAtOrBelow(int to, double limit) const;
    // Positions of the samples from h to the end lowered by excess.
    void lower(int h, double excess);
    // out[k] = fit(position k) for a <= k < end.
    void evaluate(int a, int end, const Fit& fit, std::span<double> out) const;

private:
    std::vector<double> positions_;
};

class OffsetSamplePositions {
public:
    OffsetSamplePositions(int sampleCount, SamplePositionFormula formula);
    int count() const { return count_; }
    double value(int k) const { return formula_(k) - offsetAt(k); }
    int firstAtOrAbove(int from, double limit) const;
    int lastAtOrBelow(int to, double limit) const;
    void lower(int h, double excess);
    void evaluate(int a, int end, const Fit& fit, std::span<double> out) const;

private:
    // Piece t holds the samples [pieceStart(t), pieceStart(t + 1)), all
    // lowered by the same offset, so its positions rise with k.
    int pieceCount() const { return static_cast<int>(steps_.size()) + 1; }
    int pieceStart(int t) const { return t == 0 ? 0 : steps_[static_cast<std::size_t>(t - 1)]; }
    int pieceEnd(int t) const { return t < static_cast<int>(steps_.size()) ? steps_[static_cast<std::size_t>(t)] : count_; }
    double pieceOffset(int t) const { return t == 0 ? 0.0 : offsets_[static_cast<std::size_t>(t - 1)]; }
    int pieceOf(int k) const;
    double offsetAt(int k) const { return pieceOffset(pieceOf(k)); }

    int count_;
    SamplePositionFormula formula_;
    std::vector<int> steps_;       // sample where each step starts, ascending
    std::vector<double> offsets_;  // offset from that step on (sum of the excesses of every step up to it)
};
