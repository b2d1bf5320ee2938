#include "DeviceUnderTest.h"
#include "Frequency.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vemarsim {

namespace {

constexpr double threeDb = 3.0102999566398120;  // 10 log10(2)

// DWDM
constexpr double ituAnchorGHz = 193100.0;
constexpr double dwdmWidthGHz = 55.0;
constexpr double dwdmRippleDb = 0.03;
constexpr double dwdmRipplePeriodGHz = 20.0;
constexpr double dwdmFloor = 1.5848931924611e-5;  // -48 dB
// CWDM
constexpr double cwdmWidthNm = 14.0;
constexpr double cwdmRippleDb = 0.03;
constexpr double cwdmRipplePeriodNm = 3.0;
constexpr double cwdmFloor = 1e-4;  // -40 dB
// Etalon
constexpr double etalonFsrGHz = 99.3;
constexpr double etalonOriginGHz = 193001.7;
constexpr double etalonCoefficient = 200.0;
constexpr double etalonLossDb = 1.5;

double patchCordDb(int port, double frequencyGHz)
{
    const double nm = gigahertzNm / frequencyGHz;
    return -(0.25 + 0.07 * (port - 1)) - 0.02 * (nm - 1460.0) / 220.0;
}

double etalonDb(double frequencyGHz)
{
    const double s = std::sin(std::numbers::pi * (frequencyGHz - etalonOriginGHz) / etalonFsrGHz);
    return -etalonLossDb - 10.0 * std::log10(1.0 + etalonCoefficient * s * s);
}

// Half width (GHz) of an etalon peak at x dB below its top.
double etalonHalfWidth(double x)
{
    return etalonFsrGHz / std::numbers::pi * std::asin(std::sqrt((std::pow(10.0, x / 10.0) - 1.0) / etalonCoefficient));
}

}  // namespace

DeviceUnderTest::DeviceUnderTest(DeviceKind kind) : kind_(kind)
{
    if (kind == DeviceKind::Dwdm) {
        for (int n = 50; n >= -50; --n) {
            const int port = ((n % 4) + 4) % 4 + 1;
            const double centre = ituAnchorGHz + 100.0 * n + 2.0 * std::sin(1.7 * n + 0.3);
            const double loss = 3.0 + 0.4 * (port - 1) + 0.3 * std::sin(0.9 * n);
            channels_[port - 1].push_back({centre, centre, loss, dwdmWidthGHz});
        }
    } else if (kind == DeviceKind::Cwdm) {
        for (int k = 0; k < 18; ++k) {
            const int port = k % 4 + 1;
            const double centre = 1271.0 + 20.0 * k + 0.4 * std::sin(1.3 * k);
            const double loss = 0.8 + 0.1 * (port - 1) + 0.15 * std::sin(0.7 * k);
            channels_[port - 1].push_back({gigahertzNm / centre, centre, loss, cwdmWidthNm});
        }
    }
}

double DeviceUnderTest::channelDb(const Channel& channel, double frequencyGHz) const
{
    const bool dwdm = kind_ == DeviceKind::Dwdm;
    const double delta = dwdm ? frequencyGHz - channel.centre : gigahertzNm / frequencyGHz - channel.centre;
    const double x = 2.0 * delta / channel.width;
    const double x2 = x * x;
    const double edge = dwdm ? x2 * x2 * x2 : x2 * x2;
    const double period = dwdm ? dwdmRipplePeriodGHz : cwdmRipplePeriodNm;
    const double ripple = (dwdm ? dwdmRippleDb : cwdmRippleDb) * (1.0 - std::cos(2.0 * std::numbers::pi * delta / period)) *
                          std::exp(-edge);
    return -channel.lossDb - threeDb * edge - ripple;
}

double DeviceUnderTest::portDb(int port, double frequencyGHz) const
{
    const std::vector<Channel>& list = portChannels(port);
    // The channels lie by descending frequency; only the nearest few matter.
    const auto at = std::lower_bound(list.begin(), list.end(), frequencyGHz,
                                     [](const Channel& c, double f) { return c.centreGHz > f; });
    const auto index = at - list.begin();
    double linear = kind_ == DeviceKind::Dwdm ? dwdmFloor : cwdmFloor;
    for (auto i = std::max<std::ptrdiff_t>(index - 2, 0); i < std::min<std::ptrdiff_t>(index + 2, std::ssize(list)); ++i)
        linear += std::pow(10.0, channelDb(list[static_cast<std::size_t>(i)], frequencyGHz) / 10.0);
    return 10.0 * std::log10(linear);
}

double DeviceUnderTest::transmissionDb(int port, double frequencyGHz) const
{
    if (port < 1 || port > portCount) return -100.0;
    switch (kind_) {
    case DeviceKind::Dwdm:
    case DeviceKind::Cwdm: return portDb(port, frequencyGHz);
    case DeviceKind::PatchCord: return patchCordDb(port, frequencyGHz);
    case DeviceKind::Etalon: return port == 1 ? etalonDb(frequencyGHz) : patchCordDb(port, frequencyGHz);
    }
    return -100.0;
}

TrueChannel DeviceUnderTest::truth(int port, const Channel& channel) const
{
    TrueChannel t;
    t.centreNm = gigahertzNm / channel.centreGHz;
    const double top = transmissionDb(port, channel.centreGHz);
    t.lossDb = -top;
    // The crossings of each level, by bisection in wavelength from the centre
    // out to half the spacing of the port's channels.
    const double reachNm = kind_ == DeviceKind::Dwdm ? 1.5 : 35.0;
    const double levels[3] = {1.0, 3.0, 20.0};
    for (int l = 0; l < 3; ++l) {
        auto below = [&](double nm) { return transmissionDb(port, gigahertzNm / nm) < top - levels[l]; };
        double edges[2];
        for (int side = 0; side < 2; ++side) {
            const double direction = side == 0 ? -1.0 : 1.0;
            double inside = 0.0;
            double outside = reachNm;
            for (int i = 0; i < 80; ++i) {
                const double mid = 0.5 * (inside + outside);
                (below(t.centreNm + direction * mid) ? outside : inside) = mid;
            }
            edges[side] = t.centreNm + direction * 0.5 * (inside + outside);
        }
        t.widthNm[l] = edges[1] - edges[0];
    }
    return t;
}

std::vector<TrueChannel> DeviceUnderTest::channels(int port) const
{
    std::vector<TrueChannel> out;
    if (port < 1 || port > portCount) return out;
    if (kind_ == DeviceKind::Etalon) {
        if (port != 1) return out;
        for (const double f : peakLines()) {
            TrueChannel t;
            t.centreNm = gigahertzNm / f;
            t.lossDb = etalonLossDb;
            const double levels[3] = {1.0, 3.0, 20.0};
            for (int l = 0; l < 3; ++l) {
                const double h = etalonHalfWidth(levels[l]);
                t.widthNm[l] = gigahertzNm / (f - h) - gigahertzNm / (f + h);
            }
            out.push_back(t);
        }
    } else {
        for (const Channel& c : portChannels(port)) out.push_back(truth(port, c));
    }
    std::sort(out.begin(), out.end(), [](const TrueChannel& a, const TrueChannel& b) { return a.centreNm < b.centreNm; });
    return out;
}

std::vector<double> DeviceUnderTest::peakLines() const
{
    std::vector<double> lines;
    const double high = gigahertzNm / bandLowNm;
    const double low = gigahertzNm / bandHighNm;
    if (kind_ == DeviceKind::Etalon) {
        const double first = std::floor((high - etalonOriginGHz) / etalonFsrGHz);
        for (double n = first; etalonOriginGHz + n * etalonFsrGHz >= low; n -= 1.0) lines.push_back(etalonOriginGHz + n * etalonFsrGHz);
    } else {
        for (const Channel& c : portChannels(1))
            if (c.centreGHz <= high && c.centreGHz >= low) lines.push_back(c.centreGHz);
    }
    return lines;
}

double DeviceUnderTest::peakHalfWidthGHz() const
{
    switch (kind_) {
    case DeviceKind::Etalon: return etalonHalfWidth(threeDb);
    case DeviceKind::Dwdm: return dwdmWidthGHz / 2.0;
    case DeviceKind::Cwdm: return 0.5 * cwdmWidthNm * 193000.0 / 1550.0;
    case DeviceKind::PatchCord: return 0.0;
    }
    return 0.0;
}

}  // namespace vemarsim
