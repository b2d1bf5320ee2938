#include "SamplePositions.h"

#include <algorithm>

PlainSamplePositions::PlainSamplePositions(int sampleCount, SamplePositionFormula formula)
    : positions_(static_cast<std::size_t>(std::max(sampleCount, 0)))
{
    for (int j = 0; j < sampleCount; ++j) positions_[static_cast<std::size_t>(j)] = formula(j);
}

int PlainSamplePositions::firstAtOrAbove(int from, double limit) const
{
    for (int k = std::max(from, 0); k < count(); ++k) {
        if (value(k) >= limit) return k;
    }
    return count();
}

int PlainSamplePositions::lastAtOrBelow(int to, double limit) const
{
    for (int k = std::min(to, count()) - 1; k >= 0; --k) {
        if (value(k) <= limit) return k;
    }
    return -1;
}

void PlainSamplePositions::lower(int h, double excess)
{
    for (int k = std::max(h, 0); k < count(); ++k) positions_[static_cast<std::size_t>(k)] -= excess;
}

void PlainSamplePositions::evaluate(int a, int end, const Fit& fit, std::span<double> out) const
{
    for (int k = std::max(a, 0); k < std::min(end, count()); ++k) out[static_cast<std::size_t>(k)] = fit(value(k));
}

OffsetSamplePositions::OffsetSamplePositions(int sampleCount, SamplePositionFormula formula)
    : count_(std::max(sampleCount, 0)), formula_(formula)
{
}

int OffsetSamplePositions::pieceOf(int k) const
{
    return static_cast<int>(std::upper_bound(steps_.begin(), steps_.end(), k) - steps_.begin());
}

int OffsetSamplePositions::firstAtOrAbove(int from, double limit) const
{
    from = std::max(from, 0);
    if (from >= count_) return count_;
    for (int t = pieceOf(from); t < pieceCount(); ++t) {
        int low = std::max(pieceStart(t), from);
        int high = pieceEnd(t);
        if (low >= high) continue;
        const double offset = pieceOffset(t);
        if (formula_(high - 1) - offset < limit) continue;
        // Positions rise within the piece: bisect for the first one at or above.
        while (low < high) {
            const int middle = low + (high - low) / 2;
            if (formula_(middle) - offset < limit)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }
    return count_;
}

int OffsetSamplePositions::lastAtOrBelow(int to, double limit) const
{
    to = std::min(to, count_);
    if (to <= 0) return -1;
    for (int t = pieceOf(to - 1); t >= 0; --t) {
        int low = pieceStart(t);
        int high = std::min(pieceEnd(t), to);
        if (low >= high) continue;
        const double offset = pieceOffset(t);
        if (formula_(low) - offset > limit) continue;
        // Bisect for the last position at or below the limit.
        while (high - low > 1) {
            const int middle = low + (high - low) / 2;
            if (formula_(middle) - offset <= limit)
                low = middle;
            else
                high = middle;
        }
        return low;
    }
    return -1;
}

void OffsetSamplePositions::lower(int h, double excess)
{
    h = std::max(h, 0);
    if (h >= count_) return;
    auto at = std::lower_bound(steps_.begin(), steps_.end(), h);
    auto index = static_cast<std::size_t>(at - steps_.begin());
    if (at == steps_.end() || *at != h) {
        const double before = index == 0 ? 0.0 : offsets_[index - 1];
        steps_.insert(at, h);
        offsets_.insert(offsets_.begin() + static_cast<std::ptrdiff_t>(index), before);
    }
    for (std::size_t i = index; i < offsets_.size(); ++i) offsets_[i] += excess;
}

void OffsetSamplePositions::evaluate(int a, int end, const Fit& fit, std::span<double> out) const
{
    a = std::max(a, 0);
    end = std::min(end, count_);
    if (a >= end) return;
    for (int t = pieceOf(a); t < pieceCount() && pieceStart(t) < end; ++t) {
        const double offset = pieceOffset(t);
        const int last = std::min(pieceEnd(t), end);
        for (int k = std::max(pieceStart(t), a); k < last; ++k)
            out[static_cast<std::size_t>(k)] = fit(formula_(k) - offset);
    }
}
