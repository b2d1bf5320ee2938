#include "ScanData.h"

namespace {

// Grows an array to n entries; the new ones 0 when zero is set, else left
// as they come.
void grow(ScanData::Array& array, std::size_t n, bool zero)
{
    const std::size_t old = array.size();
    if (n <= old) return;
    array.resize(n);
    if (zero) std::fill(array.begin() + static_cast<std::ptrdiff_t>(old), array.end(), 0.0);
}

}  // namespace

ScanData::Array& ScanData::ownX(std::size_t n)
{
    if (!x_ || x_.use_count() > 1) {
        auto own = std::make_shared<Array>();
        own->reserve(std::max(n, x_ ? x_->size() : 0));
        if (x_) own->assign(x_->begin(), x_->end());
        x_ = std::move(own);
    }
    if (x_->size() < n) x_->resize(n);
    return *x_;
}

void ScanData::reserve(int n, bool zeroEnvelopes)
{
    // The wavelengths grow when written (ownX) or come shared (preparePoints).
    if (n <= capacity()) return;
    const auto size = static_cast<std::size_t>(n);
    grow(y_, size, false);
    if (envelopes_) {
        grow(xRef_, size, zeroEnvelopes);
        grow(yMin_, size, zeroEnvelopes);
        grow(yMax_, size, zeroEnvelopes);
    }
}

void ScanData::Reserve(int n) { reserve(n, true); }

void ScanData::SetCount(int n)
{
    if (n < 0) n = 0;
    Reserve(n);
    if (x().size() < static_cast<std::size_t>(n)) ownX(static_cast<std::size_t>(n));
    count_ = n;
}

std::span<double> ScanData::writableX() { return ownX(y_.size()); }

void ScanData::SetPoint(int index, double x, double y)
{
    if (index < 0 || index >= capacity()) return;
    ownX(y_.size())[static_cast<std::size_t>(index)] = x;
    y_[static_cast<std::size_t>(index)] = y;
}

std::span<double> ScanData::preparePoints(std::shared_ptr<Array> x, int count)
{
    const int available = x ? static_cast<int>(x->size()) : 0;
    count = std::clamp(count, 0, available);
    Reserve(count);
    x_ = std::move(x);
    count_ = count;
    return y_;
}

void ScanData::ensureEnvelopes()
{
    if (envelopes_) return;
    const auto size = y_.size();
    xRef_.assign(size, 0.0);
    yMin_.assign(size, 0.0);
    yMax_.assign(size, 0.0);
    envelopes_ = true;
}

void ScanData::dropEnvelopes()
{
    Array().swap(xRef_);
    Array().swap(yMin_);
    Array().swap(yMax_);
    envelopes_ = false;
}

void ScanData::prepareEnvelopes(int n)
{
    reserve(n, false);
    const auto size = y_.size();
    if (!envelopes_) {
        xRef_.resize(size);
        yMin_.resize(size);
        yMax_.resize(size);
        envelopes_ = true;
    }
    const auto first = static_cast<std::ptrdiff_t>(n);
    std::fill(xRef_.begin() + first, xRef_.end(), 0.0);
    std::fill(yMin_.begin() + first, yMin_.end(), 0.0);
    std::fill(yMax_.begin() + first, yMax_.end(), 0.0);
}

void ScanData::StartEnvelopes(bool first)
{
    if (first) nbScan_ = 1;
    ensureEnvelopes();
    const double* x = x_ ? x_->data() : nullptr;
    for (int j = 0; j < count_; ++j) {
        const auto k = static_cast<std::size_t>(j);
        xRef_[k] = x[k];
        yMin_[k] = y_[k];
        yMax_[k] = y_[k];
    }
    // What lies beyond this scan's points is unset until a longer scan comes.
    std::fill(xRef_.begin() + count_, xRef_.end(), 0.0);
    std::fill(yMin_.begin() + count_, yMin_.end(), 0.0);
    std::fill(yMax_.begin() + count_, yMax_.end(), 0.0);
}

void ScanData::UpdateEnvelopes()
{
    ++nbScan_;
    const int n = count_;
    if (n == 0) return;
    // Envelope entries never started are unset: this scan starts them.
    ensureEnvelopes();
    const double* x = x_->data();
    const double* y = y_.data();
    double* xRef = xRef_.data();
    double* yMin = yMin_.data();
    double* yMax = yMax_.data();
    // With a single point there is no segment: that point is the value everywhere.
    int i = n > 1 ? 1 : 0;
    for (int j = 0; j < n; ++j) {
        while (xRef[j] > x[i] && i < n - 1) ++i;
        // An envelope point beyond the first scan's points is still unset.
        if (xRef[j] == 0.0) {
            xRef[j] = x[i];
            yMin[j] = y[i];
            yMax[j] = y[i];
        }
        double v = y[i > 0 ? i - 1 : 0];
        if (i > 0 && x[i] != x[i - 1]) v = (y[i] - y[i - 1]) * (xRef[j] - x[i - 1]) / (x[i] - x[i - 1]) + y[i - 1];
        if (v < yMin[j]) yMin[j] = v;
        if (v > yMax[j]) yMax[j] = v;
    }
}
