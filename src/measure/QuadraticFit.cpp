#include "QuadraticFit.h"

#include <algorithm>
#include <vector>

LineFit LeastSquaresLine(std::span<const double> x, std::span<const double> y)
{
    const std::size_t count = std::min(x.size(), y.size());
    if (count == 0) return {};
    double sumX = 0.0;
    double sumY = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        sumX += x[i];
        sumY += y[i];
    }
    const double meanX = sumX / static_cast<double>(count);
    double numerator = 0.0;
    double denominator = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double dx = x[i] - meanX;
        numerator += dx * y[i];
        denominator += dx * dx;
    }
    LineFit line;
    line.slope = denominator != 0.0 ? numerator / denominator : 0.0;
    line.intercept = (sumY - line.slope * sumX) / static_cast<double>(count);
    return line;
}

Fit QuadraticFit(std::span<const double> x, std::span<const double> y, std::span<const char> flags)
{
    const std::size_t n = std::min(x.size(), y.size());
    Fit fit;
    if (n == 0) return fit;
    if (n == 1) {
        fit.c0 = y[0];
        fit.c1 = -100.0;
        fit.x0 = x[0];
        return fit;
    }
    if (n == 2) {
        fit.c0 = y[0];
        fit.c1 = x[1] != x[0] ? (y[1] - y[0]) / (x[1] - x[0]) : 0.0;
        fit.x0 = x[0];
        return fit;
    }
    fit.x0 = (x[0] + x[n - 1]) * 0.5;
    std::vector<double> d;
    std::vector<double> d2;
    std::vector<double> r;
    for (std::size_t i = 0; i < n; ++i) {
        if (i < flags.size() && flags[i] == 0) continue;
        const double di = x[i] - fit.x0;
        d.push_back(di);
        d2.push_back(di * di);
        r.push_back(y[i]);
    }
    for (int round = 0; round < 10; ++round) {
        const double b1 = LeastSquaresLine(d, r).slope;
        for (std::size_t i = 0; i < r.size(); ++i) r[i] -= b1 * d[i];
        const LineFit quadratic = LeastSquaresLine(d2, r);
        fit.c0 += quadratic.intercept;
        fit.c1 += b1;
        fit.c2 += quadratic.slope;
        for (std::size_t i = 0; i < r.size(); ++i) r[i] -= quadratic.intercept + quadratic.slope * d2[i];
    }
    return fit;
}
