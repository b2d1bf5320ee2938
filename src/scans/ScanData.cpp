#include "ScanData.h"

void ScanData::Reserve(int n)
{
    if (n <= capacity()) return;
    const auto size = static_cast<std::size_t>(n);
    x_.resize(size, 0.0);
    y_.resize(size, 0.0);
    xRef_.resize(size, 0.0);
    yMin_.resize(size, 0.0);
    yMax_.resize(size, 0.0);
}

void ScanData::SetCount(int n)
{
    if (n < 0) n = 0;
    Reserve(n);
    count_ = n;
}

void ScanData::SetPoint(int index, double x, double y)
{
    if (index < 0 || index >= capacity()) return;
    x_[static_cast<std::size_t>(index)] = x;
    y_[static_cast<std::size_t>(index)] = y;
}

void ScanData::StartEnvelopes(bool first)
{
    for (int j = 0; j < count_; ++j) {
        const auto k = static_cast<std::size_t>(j);
        xRef_[k] = x_[k];
        yMin_[k] = y_[k];
        yMax_[k] = y_[k];
    }
    if (first) nbScan_ = 1;
}

void ScanData::UpdateEnvelopes()
{
    const int n = count_;
    const double* x = x_.data();
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
    ++nbScan_;
}
