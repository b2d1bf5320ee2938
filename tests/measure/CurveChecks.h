#pragma once

// Measured insertion-loss curves held against the bench's truth.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "ScanTrace.h"
#include "vemar_sim_bench.h"

namespace curvecheck {

struct Channel {
    double centreNm;
    double lossDb;
    double width3Nm;
    double width20Nm;
};

// The true channels of a detector port, from the bench's JSON.
inline std::vector<Channel> trueChannels(int detector)
{
    const nlohmann::json truth = nlohmann::json::parse(vemarsim_bench_truth_json());
    std::vector<Channel> out;
    for (const auto& port : truth.at("ports")) {
        if (port.at("detector").get<int>() != detector) continue;
        for (const auto& c : port.at("channels"))
            out.push_back({c.at("centre_nm").get<double>(), c.at("il_db").get<double>(),
                           c.at("bw_nm").at("3").get<double>(), c.at("bw_nm").at("20").get<double>()});
    }
    return out;
}

struct Points {
    std::vector<double> x;
    std::vector<double> y;
};

inline Points pointsOf(const ScanTrace& trace, const char* name)
{
    Points p;
    const ScanCurve* curve = trace.FindCurve(name);
    if (curve == nullptr) return p;
    const ScanData& data = curve->data();
    p.x.assign(data.x().begin(), data.x().begin() + data.count());
    p.y.assign(data.y().begin(), data.y().begin() + data.count());
    return p;
}

// Largest deviation from the truth over the points within `depth` dB of
// a channel's top (or everywhere on a flat port); count = points compared.
inline double passbandError(const Points& p, int detector, double depth, int& count)
{
    const std::vector<Channel> channels = trueChannels(detector);
    double worst = 0.0;
    count = 0;
    for (std::size_t i = 0; i < p.x.size(); ++i) {
        const double truth = vemarsim_bench_transmission_db(detector, p.x[i]);
        bool inPassband = channels.empty();
        for (const Channel& c : channels)
            if (std::fabs(p.x[i] - c.centreNm) < c.width20Nm && truth >= -c.lossDb - depth) inPassband = true;
        if (!inPassband) continue;
        worst = std::max(worst, std::fabs(p.y[i] - truth));
        ++count;
    }
    return worst;
}

// Centre of a channel on a measured curve: the middle of the crossings of
// 3 dB below the curve's top near the true centre; nothing when the curve
// does not hold both crossings.
inline std::optional<double> measuredCentre(const Points& p, const Channel& c)
{
    std::size_t top = p.x.size();
    for (std::size_t i = 0; i < p.x.size(); ++i)
        if (std::fabs(p.x[i] - c.centreNm) < c.width3Nm * 0.5 && (top == p.x.size() || p.y[i] > p.y[top])) top = i;
    if (top == p.x.size()) return std::nullopt;
    const double level = p.y[top] - 3.0;
    auto crossing = [&](int direction) -> std::optional<double> {
        for (long long i = static_cast<long long>(top); i + direction >= 0 && i + direction < std::ssize(p.x); i += direction) {
            const auto a = static_cast<std::size_t>(i);
            const auto b = static_cast<std::size_t>(i + direction);
            if (std::fabs(p.x[b] - c.centreNm) > c.width20Nm) return std::nullopt;
            if (p.y[b] < level) return p.x[a] + (p.x[b] - p.x[a]) * (p.y[a] - level) / (p.y[a] - p.y[b]);
        }
        return std::nullopt;
    };
    const auto left = crossing(-1);
    const auto right = crossing(1);
    if (!left || !right) return std::nullopt;
    return 0.5 * (*left + *right);
}

// Every true channel of the port lying wholly inside [low, high] has its
// centre within toleranceNm on the curve; returns how many were checked.
// Channels with a mode hop inside them are left out: a laser that hops
// forward never visits the wavelengths it jumps over, so an edge there is
// not measured.
inline int checkCentres(const Points& p, int detector, double low, double high, double toleranceNm,
                        const std::vector<double>& hopsNm = {})
{
    int checked = 0;
    for (const Channel& c : trueChannels(detector)) {
        if (c.centreNm - c.width20Nm < low || c.centreNm + c.width20Nm > high) continue;
        if (std::any_of(hopsNm.begin(), hopsNm.end(), [&](double h) { return std::fabs(h - c.centreNm) < c.width20Nm; }))
            continue;
        const std::optional<double> centre = measuredCentre(p, c);
        EXPECT_TRUE(centre.has_value()) << "detector " << detector << " channel at " << c.centreNm;
        if (!centre) continue;
        EXPECT_NEAR(*centre, c.centreNm, toleranceNm) << "detector " << detector;
        ++checked;
    }
    return checked;
}

// Wavelengths rise and no step is wider than maxStepNm.
inline void expectContinuous(const Points& p, double low, double high, double maxStepNm)
{
    ASSERT_FALSE(p.x.empty());
    EXPECT_LT(p.x.front(), low);
    EXPECT_GT(p.x.back(), high);
    double widest = 0.0;
    for (std::size_t i = 1; i < p.x.size(); ++i) {
        ASSERT_GT(p.x[i], p.x[i - 1]) << i;
        widest = std::max(widest, p.x[i] - p.x[i - 1]);
    }
    EXPECT_LT(widest, maxStepNm);
}

}  // namespace curvecheck
