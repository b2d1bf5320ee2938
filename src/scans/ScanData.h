#pragma once

// The points of one curve and, for a continuous series, its minimum and
// maximum envelopes on the wavelength grid of the series' first scan.

#include <cstdint>
#include <span>
#include <vector>

class ScanData {
public:
    // Grows the five arrays to n entries when n exceeds the capacity; the
    // values already held stay.
    void Reserve(int n);
    // Reserves when needed; then count = n.
    void SetCount(int n);
    // Ignored for an index outside the capacity.
    void SetPoint(int index, double x, double y);
    // The envelopes restart from the current points; a first scan also
    // restarts the scan count at 1.
    void StartEnvelopes(bool first);
    // Widens the envelopes with the current points, interpolated on xRef.
    void UpdateEnvelopes();

    // Element readers; 0 for an index outside the valid points.
    double X(int index) const { return at(x_, index); }
    double Y(int index) const { return at(y_, index); }
    double XRef(int index) const { return at(xRef_, index); }
    double YMin(int index) const { return at(yMin_, index); }
    double YMax(int index) const { return at(yMax_, index); }

    int count() const { return count_; }
    int capacity() const { return static_cast<int>(x_.size()); }
    std::int32_t nbScan() const { return nbScan_; }
    void setNbScan(std::int32_t n) { nbScan_ = n; }

    // The arrays at their full capacity; only the first count() entries are valid.
    std::span<const double> x() const { return x_; }
    std::span<const double> y() const { return y_; }
    std::span<const double> xRef() const { return xRef_; }
    std::span<const double> yMin() const { return yMin_; }
    std::span<const double> yMax() const { return yMax_; }
    std::span<double> x() { return x_; }
    std::span<double> y() { return y_; }
    std::span<double> xRef() { return xRef_; }
    std::span<double> yMin() { return yMin_; }
    std::span<double> yMax() { return yMax_; }

private:
    double at(const std::vector<double>& array, int index) const
    {
        return index >= 0 && index < count_ ? array[static_cast<std::size_t>(index)] : 0.0;
    }

    std::vector<double> x_;
    std::vector<double> y_;
    std::vector<double> xRef_;
    std::vector<double> yMin_;
    std::vector<double> yMax_;
    int count_ = 0;
    std::int32_t nbScan_ = 0;
};
