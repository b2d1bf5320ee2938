#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "CurvePyramid.h"
#include "ScanCurve.h"

namespace {

using Points = std::vector<PlotPoint>;
using Values = std::vector<double>;
constexpr double c = 299792.458;

// The plain reduction cut to what a view shows: the runs of the pixels on
// the axis and the nearest run on either side. A run is a group of
// consecutive output points at one x (runs of different pixels never share
// an x).
double pixelOf(double x, PixelAxis axis)
{
    return std::floor((x - axis.minimum) * (1.0 / ((axis.maximum - axis.minimum) / axis.widthPixels)));
}

template <typename Series>
std::vector<std::size_t> runStarts(const Series& xs)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < xs.size(); ++i)
        if (i == 0 || !(xs[i] == xs[i - 1])) starts.push_back(i);
    starts.push_back(xs.size());
    return starts;
}

// Indexes [first, last) of the output points the view keeps.
std::pair<std::size_t, std::size_t> viewSlice(const std::vector<double>& xs, PixelAxis axis)
{
    const std::vector<std::size_t> starts = runStarts(xs);
    const std::size_t runs = starts.size() - 1;
    std::size_t firstRun = runs;
    std::size_t lastRun = runs;  // one past
    for (std::size_t r = 0; r < runs; ++r) {
        const double p = pixelOf(xs[starts[r]], axis);
        if (p >= 0.0 && firstRun == runs) firstRun = r;
        if (p >= axis.widthPixels) {
            lastRun = r + 1;
            break;
        }
    }
    if (firstRun > 0) --firstRun;
    return {starts[firstRun], starts[std::min(lastRun, runs)]};
}

// Equal bit for bit: a NaN equals itself here.
bool sameBits(const Points& a, const Points& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(PlotPoint)) == 0);
}

std::vector<double> xsOf(const Points& points)
{
    std::vector<double> xs;
    for (const PlotPoint& p : points) xs.push_back(p.x);
    return xs;
}

Points plainInView(const Values& x, const Values& y, CurveShift shift, bool frequency, PixelAxis axis)
{
    Points all;
    reduceCurve(x, y, shift, frequency, axis, all);
    const auto [first, last] = viewSlice(xsOf(all), axis);
    return Points(all.begin() + static_cast<std::ptrdiff_t>(first), all.begin() + static_cast<std::ptrdiff_t>(last));
}

// A DWDM-like curve from 1525 to 1565 nm in 5 pm steps: channels every
// 0.8 nm over a -45 dB floor with noise, no points between 1540 and 1545 nm
// (a gap no source covered), and two samples at one wavelength.
struct Curve {
    Values x, y, yMin, yMax;
};

Curve dwdmCurve()
{
    Curve curve;
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 0.4);
    for (int i = 0; i <= 8000; ++i) {
        const double x = 1525.0 + i * 0.005;
        if (x > 1540.0 && x < 1545.0) continue;
        const double offset = std::remainder(x - 1525.3, 0.8);
        const double y = std::max(-45.0, -2.0 - 400.0 * offset * offset) + noise(random);
        curve.x.push_back(x);
        curve.y.push_back(y);
        curve.yMin.push_back(y - 0.5 - std::fabs(noise(random)));
        curve.yMax.push_back(y + 0.5 + std::fabs(noise(random)));
        if (i == 4000) {  // a repeated wavelength
            curve.x.push_back(x);
            curve.y.push_back(y - 3.0);
            curve.yMin.push_back(y - 4.0);
            curve.yMax.push_back(y + 1.0);
        }
    }
    return curve;
}

struct View {
    const char* what;
    bool frequency;
    CurveShift shift;
    PixelAxis axis;
};

const View views[] = {
    {"whole curve", false, {0, 0}, {1525, 1565, 1000}},
    {"a channel, less than one point per pixel", false, {0, 0}, {1530.1, 1530.5, 1000}},
    {"odd width", false, {0, 0}, {1526.3, 1561.7, 37}},
    {"inside the gap: only its two neighbours", false, {0, 0}, {1541, 1544, 500}},
    {"edge of the gap", false, {0, 0}, {1539.9, 1545.4, 800}},
    {"right of every point", false, {0, 0}, {1600, 1700, 1000}},
    {"left of every point", false, {0, 0}, {1400, 1500, 1000}},
    {"wider than the curve", false, {0, 0}, {1500, 1600, 640}},
    {"shifted", false, {0.37, -2.5}, {1530, 1550, 900}},
    {"one pixel", false, {0, 0}, {1520, 1570, 1}},
    {"frequency, whole curve", true, {0, 0}, {c / 1565, c / 1525, 1000}},
    {"frequency, a channel", true, {0.05, 1}, {c / 1531, c / 1530.2, 1000}},
    {"frequency, inside the gap", true, {0, 0}, {c / 1544, c / 1541, 300}},
};

TEST(CurvePyramid, ViewMatchesThePlainReduction)
{
    const Curve curve = dwdmCurve();
    const ExtremaPyramid pyramid(curve.x, curve.y, curve.y);
    ASSERT_TRUE(pyramid.searchable(false));
    ASSERT_TRUE(pyramid.searchable(true));
    for (const View& v : views) {
        Points out{{99, 99}};
        reduceCurve(curve.x, curve.y, pyramid, v.shift, v.frequency, v.axis, out);
        const Points expected = plainInView(curve.x, curve.y, v.shift, v.frequency, v.axis);
        EXPECT_EQ(out, expected) << v.what;
        EXPECT_FALSE(expected.empty()) << v.what;
    }
}

// Points spread unevenly (bursts and holes), so that each pixel's run has
// a length unlike the one before it.
TEST(CurvePyramid, UnevenlySpreadPointsMatchThePlainReduction)
{
    std::mt19937 random(13);
    std::exponential_distribution<double> spacing(1.0);
    std::uniform_real_distribution<double> level(-50.0, 0.0);
    std::bernoulli_distribution burst(0.02);
    Values x;
    Values y;
    double at = 1500.0;
    for (int i = 0; i < 30000; ++i) {
        at += spacing(random) * (burst(random) ? 0.5 : 0.001);
        x.push_back(at);
        y.push_back(level(random));
    }
    const ExtremaPyramid pyramid(x, y, y);
    const PixelAxis axes[] = {{x.front(), x.back(), 1000}, {1505, 1506, 333}, {1510, 1530, 1200}, {1500, 1600, 50}};
    for (const PixelAxis& axis : axes) {
        for (const bool frequency : {false, true}) {
            const PixelAxis shown = frequency ? PixelAxis{c / axis.maximum, c / axis.minimum, axis.widthPixels} : axis;
            Points out;
            reduceCurve(x, y, pyramid, {}, frequency, shown, out);
            EXPECT_EQ(out, plainInView(x, y, {}, frequency, shown)) << axis.minimum << " " << frequency;
        }
    }
}

TEST(CurvePyramid, EnvelopesMatchThePlainReduction)
{
    const Curve curve = dwdmCurve();
    const ExtremaPyramid pyramid(curve.x, curve.yMin, curve.yMax);
    for (const View& v : views) {
        EnvelopeSeries all;
        reduceEnvelopes(curve.x, curve.yMin, curve.yMax, v.shift, v.frequency, v.axis, all);
        const auto [first, last] = viewSlice(xsOf(all.minimum), v.axis);
        const auto cut = [&](const Points& p) {
            return Points(p.begin() + static_cast<std::ptrdiff_t>(first), p.begin() + static_cast<std::ptrdiff_t>(last));
        };
        EnvelopeSeries out;
        reduceEnvelopes(curve.x, curve.yMin, curve.yMax, pyramid, v.shift, v.frequency, v.axis, out);
        EXPECT_EQ(out.minimum, cut(all.minimum)) << v.what;
        EXPECT_EQ(out.maximum, cut(all.maximum)) << v.what;
    }
}

// Every length around the block sizes, every range: the extremes of the
// blocks agree with a plain scan.
TEST(CurvePyramid, ExtremesOfEveryRange)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> level(-60.0, 0.0);
    for (std::size_t n : {0u, 1u, 15u, 16u, 17u, 255u, 256u, 257u, 300u, 4100u}) {
        Values x(n);
        Values low(n);
        Values high(n);
        for (std::size_t i = 0; i < n; ++i) {
            x[i] = static_cast<double>(i);
            low[i] = level(random);
            high[i] = low[i] + 1.0;
        }
        const ExtremaPyramid pyramid(x, low, high);
        ASSERT_EQ(pyramid.size(), n);
        std::uniform_int_distribution<std::size_t> index(0, n);
        for (int trial = 0; trial < 300; ++trial) {
            std::size_t first = index(random);
            std::size_t last = index(random);
            if (first > last) std::swap(first, last);
            if (first == last) continue;
            double lo = 0;
            double hi = 0;
            pyramid.extremes(low, high, first, last, lo, hi);
            double expectedLo = low[first];
            double expectedHi = high[first];
            for (std::size_t k = first; k < last; ++k) {
                expectedLo = std::min(expectedLo, low[k]);
                expectedHi = std::max(expectedHi, high[k]);
            }
            ASSERT_EQ(lo, expectedLo) << n << " [" << first << ", " << last << ")";
            ASSERT_EQ(hi, expectedHi) << n << " [" << first << ", " << last << ")";
        }
    }
}

// Points the binary search cannot trust give the plain reduction, every run
// included.
TEST(CurvePyramid, PointsOutOfOrderFallBackToThePlainReduction)
{
    struct Case {
        const char* what;
        Values x;
        Values y;
        bool frequency;
        PixelAxis axis;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"descending", {5, 4, 3, 2, 1, 0, -1}, {1, 2, 3, 4, 5, 6, 7}, false, {0, 3, 3}},
        {"x not a number", {0, 1, nan, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6, 7}, false, {0, 3, 3}},
        {"y not a number", {0, 1, 2, 3, 4, 5, 6}, {1, nan, 3, 4, 5, 6, 7}, false, {0, 3, 3}},
        {"wavelength 0 in frequency display", {0, 1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6, 7}, true, {0, 3, 3}},
        {"no pixel size", {0, 1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6, 7}, false, {0, 3, 0}},
    };
    for (const Case& k : cases) {
        const ExtremaPyramid pyramid(k.x, k.y, k.y);
        Points expected;
        reduceCurve(k.x, k.y, {}, k.frequency, k.axis, expected);
        Points out;
        reduceCurve(k.x, k.y, pyramid, {}, k.frequency, k.axis, out);
        EXPECT_TRUE(sameBits(out, expected)) << k.what;
    }
    // A pyramid of other points is not used.
    const Values x{0, 1, 2, 3, 4, 5, 6, 7, 8};
    const Values y{1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::span<const double> xs(x);
    const std::span<const double> ys(y);
    const ExtremaPyramid shorter(xs.first(4), ys.first(4), ys.first(4));
    Points expected;
    reduceCurve(x, y, {}, false, {0, 3, 3}, expected);
    Points out;
    reduceCurve(x, y, shorter, {}, false, {0, 3, 3}, out);
    EXPECT_EQ(out, expected);
}

TEST(CurvePyramid, ACurveOfTheStoreWithItsEnvelopesAndShifts)
{
    const Curve source = dwdmCurve();
    ScanCurve curve(nullptr, nullptr, "1", 0);
    curve.setEnvelopes(true);
    ScanData& data = curve.data();
    const int n = static_cast<int>(source.x.size());
    data.Reserve(n + 200);
    data.SetCount(n);
    for (int i = 0; i < n; ++i) data.SetPoint(i, source.x[static_cast<std::size_t>(i)], source.y[static_cast<std::size_t>(i)]);
    data.StartEnvelopes(true);
    curve.setXShift(0.2);
    curve.setYShift(-1.0);
    const CurvePyramids pyramids = buildPyramids(curve);
    EXPECT_EQ(pyramids.points.size(), source.x.size());
    EXPECT_EQ(pyramids.envelopes.size(), source.x.size());

    const PixelAxis axis{1535, 1550, 700};
    Points out;
    reduceCurve(curve, pyramids, false, axis, out);
    EXPECT_EQ(out, plainInView(source.x, source.y, {0.2, -1.0}, false, axis));
    EnvelopeSeries envelopes;
    reduceEnvelopes(curve, pyramids, false, axis, envelopes);
    // Envelopes started from the points are the points' extremes.
    Points lows;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (i == 0 || out[i].x != out[i - 1].x) lows.push_back(out[i]);
    EXPECT_EQ(envelopes.minimum, lows);
}

}  // namespace
