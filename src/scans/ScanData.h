#pragma once

// The points of one curve and, for a continuous series, its minimum and
// maximum envelopes on the wavelength grid of the series' first scan.
//
// The arrays of a long scan are large (900 000 points take 7 MB each), so
// they are allocated once, never filled with zeros before they are written,
// and shared where they can be: every curve of a trace has the same
// wavelengths, so BuildTrace gives them one array (preparePoints); a curve
// that changes its own wavelengths takes a copy first. The envelope arrays
// are made when envelopes are started, updated, loaded or asked for (a
// min/max curve), never for a curve that only shows loaded points; entries
// beyond the points an envelope was started with read 0 (unset).

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "FreshArrayAllocator.h"

class ScanData {
public:
    using Array = std::vector<double, FreshArrayAllocator<double>>;

    // Grows the arrays to n entries when n exceeds the capacity; the values
    // already held stay. New point entries are undefined until written, new
    // envelope entries are 0.
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

    // The envelope arrays, all unset (0), unless they exist already; and
    // their release (a curve that no longer shows envelopes).
    void ensureEnvelopes();
    void dropEnvelopes();
    bool hasEnvelopeArrays() const { return envelopes_; }

    // The curve's wavelengths become x, shared with other curves, and count
    // the points given (at most x's size); returns the curve's own y array
    // (at least count entries, none written yet) for the values.
    std::span<double> preparePoints(std::shared_ptr<Array> x, int count);
    // The wavelength array the curve holds (shared or its own), or none.
    const std::shared_ptr<Array>& heldX() const { return x_; }

    // Sets count = n and hands the three envelope arrays (xRef, yMax, yMin,
    // n entries each, nothing written to them yet) to fill, which must
    // write them all; a false from fill leaves the envelope entries unset.
    // The points (a loaded curve's) are left to preparePoints, which comes
    // next: until then x may hold fewer than count entries.
    template <typename Fill>
    bool fillEnvelopes(int n, Fill&& fill)
    {
        if (n < 0) n = 0;
        prepareEnvelopes(n);
        count_ = n;
        const auto size = static_cast<std::size_t>(count_);
        if (fill(std::span<double>(xRef_.data(), size), std::span<double>(yMax_.data(), size),
                 std::span<double>(yMin_.data(), size)))
            return true;
        std::fill_n(xRef_.data(), size, 0.0);
        std::fill_n(yMax_.data(), size, 0.0);
        std::fill_n(yMin_.data(), size, 0.0);
        return false;
    }

    // Element readers; 0 for an index outside the valid points.
    double X(int index) const { return element(x(), index); }
    double Y(int index) const { return element(y_, index); }
    double XRef(int index) const { return element(xRef_, index); }
    double YMin(int index) const { return element(yMin_, index); }
    double YMax(int index) const { return element(yMax_, index); }

    int count() const { return count_; }
    int capacity() const { return static_cast<int>(y_.size()); }
    std::int32_t nbScan() const { return nbScan_; }
    void setNbScan(std::int32_t n) { nbScan_ = n; }

    // The arrays; only the first count() entries are valid. x holds at least
    // count() entries, the others capacity() (the envelope arrays none until
    // they are made).
    std::span<const double> x() const { return x_ ? std::span<const double>(*x_) : std::span<const double>(); }
    std::span<const double> y() const { return y_; }
    std::span<const double> xRef() const { return xRef_; }
    std::span<const double> yMin() const { return yMin_; }
    std::span<const double> yMax() const { return yMax_; }
    // Writable x: the curve's own copy of a shared array (taken here).
    std::span<double> writableX();
    std::span<double> y() { return y_; }
    std::span<double> xRef() { return xRef_; }
    std::span<double> yMin() { return yMin_; }
    std::span<double> yMax() { return yMax_; }

private:
    double element(std::span<const double> array, int index) const
    {
        return index >= 0 && index < count_ && static_cast<std::size_t>(index) < array.size()
                   ? array[static_cast<std::size_t>(index)]
                   : 0.0;
    }
    void reserve(int n, bool zeroEnvelopes);
    // Capacity for n points and envelope arrays whose first n entries are
    // left to be written (the others 0).
    void prepareEnvelopes(int n);
    // x as an array of this curve alone, of at least n entries.
    Array& ownX(std::size_t n);

    // Shared by the curves of a trace; never written while shared.
    std::shared_ptr<Array> x_;
    Array y_;
    Array xRef_;
    Array yMin_;
    Array yMax_;
    int count_ = 0;
    std::int32_t nbScan_ = 0;
    bool envelopes_ = false;  // the three envelope arrays exist (capacity entries each)
};
