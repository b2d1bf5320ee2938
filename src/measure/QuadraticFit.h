#pragma once

// Least-squares fits of frequency against position used by the wavelength
// referencing.

#include <span>

struct LineFit {
    double intercept = 0.0;
    double slope = 0.0;
};

// Least-squares line through (x, y): slope = Σ(x − x̄)·y / Σ(x − x̄)²,
// intercept = (Σy − slope·Σx) / count. Without points both are 0; with all x
// equal the slope is 0 (the line is the mean of y).
LineFit LeastSquaresLine(std::span<const double> x, std::span<const double> y);

// f(x) = c0 + c1·(x − x0) + c2·(x − x0)².
struct Fit {
    double c0 = 0.0;
    double c1 = 0.0;
    double c2 = 0.0;
    double x0 = 0.0;

    double operator()(double x) const
    {
        const double d = x - x0;
        return c0 + c1 * d + c2 * d * d;
    }
};

// One point: its value with the fixed slope −100. Two points: the line
// through them (flags not consulted; 0 slope when they share a position).
// Three or more: x0 is the middle of the first and last position; the points
// whose flag is set are fitted by ten rounds of alternating linear and
// quadratic least squares on the residual. The fit stays all zero without
// points, and has c1 = 0 when fewer than two flagged positions differ.
Fit QuadraticFit(std::span<const double> x, std::span<const double> y, std::span<const char> flags);
