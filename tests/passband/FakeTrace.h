#pragma once

// A selected trace made of synthetic curves, for the engine's tests.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SelectedTraceCurves.h"

struct FakeCurve {
    std::string name;
    std::vector<double> wavelengthNm;
    std::vector<double> levelDb;
};

class FakeTrace : public SelectedTraceCurves {
public:
    int curveCount() const override { return static_cast<int>(curves.size()); }
    std::optional<CurveView> curve(int index) const override
    {
        const auto& c = curves.at(static_cast<std::size_t>(index));
        if (!c) return std::nullopt;
        return CurveView{c->name, c->wavelengthNm.size(), c->wavelengthNm.data(), c->levelDb.data()};
    }

    void add(FakeCurve curve) { curves.emplace_back(std::move(curve)); }
    // An index that yields no curve.
    void addHole() { curves.emplace_back(std::nullopt); }

    std::vector<std::optional<FakeCurve>> curves;
};

// A curve through the given (wavelength, level) points, sampled only there.
inline FakeCurve curveThrough(std::string name, const std::vector<std::pair<double, double>>& points)
{
    FakeCurve c{std::move(name), {}, {}};
    for (const auto& [w, l] : points) {
        c.wavelengthNm.push_back(w);
        c.levelDb.push_back(l);
    }
    return c;
}
