#include "BenchCalibration.h"

#include <algorithm>
#include <cmath>

#include "DataCalib.h"
#include "Frequency.h"

namespace vemarsim {

namespace {

// Index k of the segment [k, k + 1] of an ascending table holding x, the
// end segments outside it.
std::size_t segmentOf(const std::vector<double>& ascending, double x)
{
    const auto it = std::upper_bound(ascending.begin(), ascending.end(), x);
    const auto k = static_cast<std::ptrdiff_t>(it - ascending.begin()) - 1;
    return static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(k, 0, static_cast<std::ptrdiff_t>(ascending.size()) - 2));
}

double along(double x, double x0, double x1, double y0, double y1) { return x1 == x0 ? y0 : y0 + (y1 - y0) * (x - x0) / (x1 - x0); }
}  // namespace

BenchCalibration::BenchCalibration(const DataCalib& image)
{
    const int m = image.shortTableLength();
    const int n = image.frequencyPoints();
    base_ = image.baseValue();
    levelAxis_.resize(static_cast<std::size_t>(m));
    outputCodes_.resize(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        levelAxis_[static_cast<std::size_t>(i)] = image.tableBValue(i);
        outputCodes_[static_cast<std::size_t>(i)] = image.tableA(i);
    }
    for (int d = 0; d < 4; ++d) {
        auto& codes = detectorCodes_[static_cast<std::size_t>(d)];
        codes.resize(static_cast<std::size_t>(m));
        for (int i = 0; i < m; ++i) codes[static_cast<std::size_t>(i)] = image.detectorTable(d, i);
        detectorOrigin_[static_cast<std::size_t>(d)] = outputLevel(image.detectorWord(d));
        auto& r = response_[static_cast<std::size_t>(d)];
        r.resize(static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) r[static_cast<std::size_t>(j)] = image.responseValue(d, j);
    }
    responseStart_ = gigahertzNm / image.referenceWavelengthNm();
    frequencyStep_ = image.frequencyStepGHz();
    for (int k = 0; k < image.extTableLength(); ++k) extCodes_.push_back(image.extTable(k));

    // The line tables interpolated at the middle reference, as the
    // measurement selects them.
    const int tables = image.frequencyTables();
    std::vector<double> references(static_cast<std::size_t>(tables));
    for (int t = 0; t < tables; ++t) references[static_cast<std::size_t>(t)] = image.referenceWord(t);
    middleReference_ = tables > 0 ? static_cast<int>((references.front() + references.back()) / 2) : 0;
    referenceLines_.assign(static_cast<std::size_t>(n), 0.0);
    if (tables == 0) return;
    std::size_t p = 0;
    if (tables >= 2) {
        p = segmentOf(references, middleReference_);
        const double r0 = references[p];
        const double r1 = references[p + 1];
        const double w = r1 == r0 ? 0.0 : (middleReference_ - r0) / (r1 - r0);
        for (int j = 0; j < n; ++j) {
            const double low = image.frequencyValueGHz(static_cast<int>(p), j);
            const double high = image.frequencyValueGHz(static_cast<int>(p) + 1, j);
            referenceLines_[static_cast<std::size_t>(j)] = low + (high - low) * w;
        }
    } else {
        for (int j = 0; j < n; ++j) referenceLines_[static_cast<std::size_t>(j)] = image.frequencyValueGHz(0, j);
    }
}

double BenchCalibration::axisAt(const std::vector<double>& codes, double code) const
{
    // codes descend: walk the segment whose codes bracket the code.
    std::size_t k = 0;
    const std::size_t last = codes.size() - 2;
    while (k < last && codes[k + 1] >= code) ++k;
    return along(code, codes[k], codes[k + 1], levelAxis_[k], levelAxis_[k + 1]);
}

double BenchCalibration::codeAt(const std::vector<double>& codes, double axisValue) const
{
    const std::size_t k = segmentOf(levelAxis_, axisValue);
    return along(axisValue, levelAxis_[k], levelAxis_[k + 1], codes[k], codes[k + 1]);
}

double BenchCalibration::outputCode(double levelDbm) const { return codeAt(outputCodes_, base_ - levelDbm); }
double BenchCalibration::outputLevel(double code) const { return base_ - axisAt(outputCodes_, code); }

double BenchCalibration::response(int detector, double frequencyGHz) const
{
    const auto& r = response_[static_cast<std::size_t>(detector)];
    if (r.size() < 2) return 0.0;
    // The response axis descends from responseStart_ in steps of frequencyStep_.
    const double position = (responseStart_ - frequencyGHz) / frequencyStep_;
    const auto i = static_cast<std::size_t>(std::clamp(std::floor(position), 0.0, static_cast<double>(r.size() - 2)));
    return r[i] + (r[i + 1] - r[i]) * (position - static_cast<double>(i));
}

double BenchCalibration::detectorCode(int detector, double levelDbm, double frequencyGHz) const
{
    const auto d = static_cast<std::size_t>(detector);
    const double seen = levelDbm + response(detector, frequencyGHz);
    return codeAt(detectorCodes_[d], detectorOrigin_[d] - seen);
}

double BenchCalibration::detectorLevel(int detector, double code, double frequencyGHz) const
{
    const auto d = static_cast<std::size_t>(detector);
    return detectorOrigin_[d] - axisAt(detectorCodes_[d], code) - response(detector, frequencyGHz);
}

double BenchCalibration::extCode(double volts) const
{
    if (extCodes_.size() < 2) return 0.0;
    const double position = volts / 0.1;
    const auto k = static_cast<std::size_t>(std::clamp(std::floor(position), 0.0, static_cast<double>(extCodes_.size() - 2)));
    return extCodes_[k] + (extCodes_[k + 1] - extCodes_[k]) * (position - static_cast<double>(k));
}

double BenchCalibration::extVolts(double code) const
{
    if (extCodes_.size() < 2) return 0.0;
    const std::size_t k = segmentOf(extCodes_, code);
    return 0.1 * static_cast<double>(k) + 0.1 * along(code, extCodes_[k], extCodes_[k + 1], 0.0, 1.0);
}

}  // namespace vemarsim
