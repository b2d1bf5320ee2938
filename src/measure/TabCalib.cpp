#include "TabCalib.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string_view>

#include "CalibEncoding.h"
#include "CalibSearch.h"
#include "CalibrationFile.h"
#include "DataCalibFactory.h"
#include "NumberFormat.h"
#include "RegularFile.h"
#include "UnitIdentitySource.h"
#include "Frequency.h"

namespace {


// Nearest integer, a tie going up, kept inside the int range.
int roundHalfUp(double value)
{
    const double r = std::floor(value + 0.5);
    if (!(r > std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (!(r < std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

std::uint16_t clampToWord(std::int32_t value)
{
    return static_cast<std::uint16_t>(std::clamp<std::int32_t>(value, 0, 0xFFFF));
}

std::uint16_t countUp(std::uint16_t count)
{
    return count == 0xFFFF ? count : static_cast<std::uint16_t>(count + 1);
}

// "Etalon.txt" holds pairs "wavelength frequency"; a calibration has at most
// a few hundred lines, so a file larger than this is not an etalon file.
constexpr std::size_t maxEtalonFileBytes = 1 << 20;

}  // namespace

TabCalib::TabCalib(std::string calibFolder, UnitIdentitySource& unit)
    : TabCalib(std::move(calibFolder), unit.ReadIdentity())
{
}

TabCalib::TabCalib(std::string calibFolder, const IdentityRecord& identity)
    : TabCalib(std::move(calibFolder), static_cast<int>(identity.calibrationKind()))
{
}

TabCalib::TabCalib(std::string calibFolder, int calibrationKind)
    : calibFolder_(std::move(calibFolder)), layout_(DataCalibFactory::create(calibrationKind))
{
    const DataCalib& layout = *layout_;
    m_ = layout.shortTableLength();
    t_ = layout.frequencyTables();
    n_ = layout.frequencyPoints();
    levelStep_ = layout.shortAxisStep();
    startFrequency_ = layout.startFrequencyGHz();
    frequencyStep_ = layout.frequencyStepGHz();
    responseStart_ = gigahertzNm / layout.referenceWavelengthNm();

    const auto m = static_cast<std::size_t>(m_);
    const auto n = static_cast<std::size_t>(n_);
    const auto t = static_cast<std::size_t>(t_);
    detectorWord_.assign(detectorCount, 0);
    outputCodes_.assign(m, 0);
    detectorCodes_.assign(detectorCount * m, 0);
    response_.assign(detectorCount * n, 0.0);
    lineTables_.assign(t * n, 0.0);
    referenceValues_.assign(t, 0.0);
    levelAxis_.resize(m);
    for (std::size_t i = 0; i < m; ++i) levelAxis_[i] = static_cast<double>(i) * levelStep_;
    lineCounts_.assign(t * n, 0);
    tableCounts_.assign(t, 0);
    levelTable1_.assign(n, 0);
    levelTable2_.assign(n, 0);
    extTable_.assign(static_cast<std::size_t>(layout.extTableLength()), 0);
}

TabCalib::~TabCalib() = default;

namespace {

// Row `index` of a table stored row after row; empty for an unknown row.
template <typename Array>
auto rowOf(Array& array, int index, int rows, int length)
{
    using Span = decltype(std::span(array));
    if (index < 0 || index >= rows) return Span{};
    return std::span(array).subspan(static_cast<std::size_t>(index) * static_cast<std::size_t>(length),
                                    static_cast<std::size_t>(length));
}

}  // namespace

std::span<std::int32_t> TabCalib::detectorCodes(int d) { return rowOf(detectorCodes_, d, detectorCount, m_); }
std::span<const std::int32_t> TabCalib::detectorCodes(int d) const { return rowOf(detectorCodes_, d, detectorCount, m_); }
std::span<double> TabCalib::response(int d) { return rowOf(response_, d, detectorCount, n_); }
std::span<const double> TabCalib::response(int d) const { return rowOf(response_, d, detectorCount, n_); }
std::span<double> TabCalib::lineTable(int t) { return rowOf(lineTables_, t, t_, n_); }
std::span<const double> TabCalib::lineTable(int t) const { return rowOf(lineTables_, t, t_, n_); }
std::span<std::uint16_t> TabCalib::lineCounts(int t) { return rowOf(lineCounts_, t, t_, n_); }
std::span<const std::uint16_t> TabCalib::lineCounts(int t) const { return rowOf(lineCounts_, t, t_, n_); }

// ---------------------------------------------------------------------------
// The file

int TabCalib::Load(IdentityRecord& identity)
{
    // Read into a fresh image so that a file too short to be read leaves
    // every table, the raw ones of the image included, as it was.
    std::unique_ptr<DataCalib> image = DataCalibFactory::create(layout_->calibrationKind());
    const std::string path = (std::filesystem::path(calibFolder_) / calibrationFileName(identity)).string();
    // A damaged file would move every level it converts: it is refused, not read.
    const CalibrationFileCheck check = checkCalibrationFile(path, layout_->calibrationKind(), &identity);
    loadProblem_ = check.missing ? "no calibration file " + path : check.problem;
    if (!check.usable()) return 1;
    const CalibrationFileReadResult read = readCalibrationFile(path, *image);
    if (!read.usable()) {
        loadProblem_ = "the file changed while it was read";
        return 1;
    }
    layout_ = std::move(image);
    identity = read.header.identity;
    decodeLayout();
    return 0;
}

int TabCalib::Save(const IdentityRecord& identity)
{
    encodeLayout();
    const std::string path = (std::filesystem::path(calibFolder_) / calibrationFileName(identity)).string();
    return writeCalibrationFile(path, identity, *layout_) ? 0 : 1;
}

void TabCalib::decodeLayout()
{
    const DataCalib& image = *layout_;
    base_ = image.baseValue();
    scale_ = image.scaleValue();
    for (int d = 0; d < detectorCount; ++d) detectorWord_[static_cast<std::size_t>(d)] = image.detectorWord(d);
    for (int i = 0; i < m_; ++i) {
        outputCodes_[static_cast<std::size_t>(i)] = image.tableA(i);
        levelAxis_[static_cast<std::size_t>(i)] = image.tableBValue(i);
        for (int d = 0; d < detectorCount; ++d) detectorCodes(d)[static_cast<std::size_t>(i)] = image.detectorTable(d, i);
    }
    for (int j = 0; j < n_; ++j) {
        for (int d = 0; d < detectorCount; ++d) response(d)[static_cast<std::size_t>(j)] = image.responseValue(d, j);
        for (int t = 0; t < t_; ++t) lineTable(t)[static_cast<std::size_t>(j)] = image.frequencyValueGHz(t, j);
        levelTable1_[static_cast<std::size_t>(j)] = image.levelTable1(j);
        levelTable2_[static_cast<std::size_t>(j)] = image.levelTable2(j);
    }
    for (int t = 0; t < t_; ++t) referenceValues_[static_cast<std::size_t>(t)] = image.referenceWord(t);
    for (std::size_t i = 0; i < extTable_.size(); ++i) extTable_[i] = image.extTable(static_cast<int>(i));
}

void TabCalib::encodeLayout()
{
    DataCalib& image = *layout_;
    image.setBaseValue(base_);
    image.setScaleValue(scale_);
    for (int d = 0; d < detectorCount; ++d) image.setDetectorWord(d, clampToWord(detectorWord_[static_cast<std::size_t>(d)]));
    for (int i = 0; i < m_; ++i) {
        image.setTableA(i, clampToWord(outputCodes_[static_cast<std::size_t>(i)]));
        image.setTableBValue(i, levelAxis_[static_cast<std::size_t>(i)]);
        for (int d = 0; d < detectorCount; ++d)
            image.setDetectorTable(d, i, clampToWord(detectorCodes(d)[static_cast<std::size_t>(i)]));
    }
    for (int d = 0; d < detectorCount; ++d) image.setResponseValues(d, response(d));
    for (int t = 0; t < t_; ++t) {
        image.setReferenceValue(t, referenceValues_[static_cast<std::size_t>(t)]);
        for (int j = 0; j < n_; ++j) image.setFrequencyValueGHz(t, j, lineTable(t)[static_cast<std::size_t>(j)]);
    }
    for (int j = 0; j < n_; ++j) {
        image.setLevelTable1(j, levelTable1_[static_cast<std::size_t>(j)]);
        image.setLevelTable2(j, levelTable2_[static_cast<std::size_t>(j)]);
    }
    for (std::size_t i = 0; i < extTable_.size(); ++i) image.setExtTable(static_cast<int>(i), extTable_[i]);
}

// ---------------------------------------------------------------------------
// Conversions

double TabCalib::levelOn(std::span<const std::int32_t> codes, int code, int& cursor) const
{
    const int k = CalibSearch::descendingSegment(codes, code, cursor);
    const auto at = static_cast<std::size_t>(k);
    double b = levelAxis_[at];
    if (at + 1 < codes.size() && codes[at] != codes[at + 1])
        b = CalibSearch::interpolate(code, codes[at], codes[at + 1], levelAxis_[at], levelAxis_[at + 1]);
    return b;
}

double TabCalib::OutputLevel(int code)
{
    return base_ - levelOn(outputCodes_, code, outputCursor_);
}

double TabCalib::DetectorLevel(int detector, int code, int& cursor)
{
    if (detector < 0 || detector >= detectorCount) return 0.0;
    const double origin = OutputLevel(detectorWord_[static_cast<std::size_t>(detector)]);
    return origin - levelOn(detectorCodes(detector), code, cursor);
}

void TabCalib::DetectorTrace(int detector, std::span<const std::int32_t> codes, std::span<const double> wavelengths,
                             std::span<double> out)
{
    const std::size_t count = std::min({codes.size(), wavelengths.size(), out.size()});
    if (detector < 0 || detector >= detectorCount || n_ < 2) {
        std::fill_n(out.begin(), count, 0.0);
        return;
    }
    // The origin is the same for every sample of the trace.
    const double origin = OutputLevel(detectorWord_[static_cast<std::size_t>(detector)]);
    const std::span<const std::int32_t> table = detectorCodes(detector);
    const std::span<const double> r = response(detector);
    int cursor = 0;
    int point = 0;
    for (std::size_t j = 0; j < count; ++j) {
        const double level = origin - levelOn(table, codes[j], cursor);
        const double f = gigahertzNm / wavelengths[j];
        while (point < n_ - 1 && responseAxisFrequency(point) > f) ++point;
        const int i = point > 0 ? point - 1 : 0;
        const auto at = static_cast<std::size_t>(i);
        const double fi = responseAxisFrequency(i);
        const double response = r[at] + (r[at + 1] - r[at]) * (f - fi) / (responseAxisFrequency(i + 1) - fi);
        out[j] = level - response;
    }
}

double TabCalib::ExtVolts(int code, int& cursor) const
{
    const std::span<const std::uint16_t> table = extTable_;
    if (table.empty()) return 0.0;
    const int k = CalibSearch::ascendingSegment(table, code, cursor);
    const auto at = static_cast<std::size_t>(k);
    double volts = 0.1 * k;
    if (at + 1 < table.size() && table[at] != table[at + 1])
        volts += 0.1 * (code - table[at]) / (static_cast<double>(table[at + 1]) - table[at]);
    return volts;
}

TabCalib::Levels TabCalib::LevelsAt(double frequencyGHz) const
{
    auto point = [&](int i) {
        return Levels{levelTable1_[static_cast<std::size_t>(i)], levelTable2_[static_cast<std::size_t>(i)]};
    };
    if (frequencyGHz > startFrequency_) return point(0);
    if (frequencyGHz < levelAxisFrequency(n_ - 1)) return point(n_ - 1);
    int i = 1;
    while (i < n_ && !(levelAxisFrequency(i) < frequencyGHz)) ++i;
    // The last axis point itself (or a frequency that compares with nothing).
    if (i >= n_) return point(n_ - 1);
    const double above = levelAxisFrequency(i);
    auto level = [&](const std::vector<std::uint16_t>& table) {
        const double upper = table[static_cast<std::size_t>(i - 1)];
        const double lower = table[static_cast<std::size_t>(i)];
        const double value = std::trunc((upper - lower) * (frequencyGHz - above) / frequencyStep_ + lower + 0.5);
        return static_cast<std::uint16_t>(std::clamp(value, 0.0, 65535.0));
    };
    return Levels{level(levelTable1_), level(levelTable2_)};
}

int TabCalib::ReferenceFrequencies(std::vector<double>& out, int selector)
{
    if (selector < 0) {
        out.clear();
        const std::string path = (std::filesystem::path(calibFolder_) / "Etalon.txt").string();
        // A FIFO or a device of that name would never end: only a regular file is read.
        if (!regularFileProblem(path).empty()) return 0;
        std::ifstream file(path, std::ios::binary);
        if (!file) return 0;
        std::string text(maxEtalonFileBytes, '\0');
        file.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(file.gcount()));
        // Pairs "wavelength frequency" up to the end of the file, the first
        // number that does not read, or N pairs.
        std::size_t at = 0;
        auto nextNumber = [&]() -> std::optional<double> {
            at = text.find_first_not_of(" \t\r\n\f\v", at);
            if (at == std::string::npos) return std::nullopt;
            const std::size_t end = std::min(text.find_first_of(" \t\r\n\f\v", at), text.size());
            const std::optional<double> value = parseDouble(std::string_view(text).substr(at, end - at));
            at = end;
            return value;
        };
        while (static_cast<int>(out.size()) < n_) {
            const std::optional<double> wavelength = nextNumber();
            if (!wavelength) break;
            const std::optional<double> frequency = nextNumber();
            if (!frequency) break;
            out.push_back(*frequency);
        }
        return static_cast<int>(out.size());
    }
    if (selector == 0) {
        out.resize(static_cast<std::size_t>(n_));
        for (int i = 0; i < n_; ++i) out[static_cast<std::size_t>(i)] = responseAxisFrequency(i);
        return n_;
    }
    interpolatedLineTable(selector, out);
    return n_;
}

void TabCalib::interpolatedLineTable(int selector, std::vector<double>& out)
{
    out.resize(static_cast<std::size_t>(n_));
    const int p = CalibSearch::ascendingSegment<double, double>(referenceValues_, selector, referenceCursor_);
    const std::span<const double> low = lineTable(p);
    if (t_ < 2) {
        std::copy(low.begin(), low.end(), out.begin());
        return;
    }
    const std::span<const double> high = lineTable(p + 1);
    const double r0 = referenceValues_[static_cast<std::size_t>(p)];
    const double r1 = referenceValues_[static_cast<std::size_t>(p) + 1];
    const double w = r1 == r0 ? 0.0 : (selector - r0) / (r1 - r0);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = low[i] + (high[i] - low[i]) * w;
}

// ---------------------------------------------------------------------------
// Maintenance

void TabCalib::AddResponse(int detector, std::span<const double> wavelengths, std::span<const double> values)
{
    const std::size_t count = std::min(wavelengths.size(), values.size());
    if (detector < 0 || detector >= detectorCount || count == 0) return;
    std::vector<double> f(count);
    for (std::size_t s = 0; s < count; ++s) f[s] = gigahertzNm / wavelengths[s];
    const std::span<double> r = response(detector);
    std::size_t s = 0;
    for (int j = 0; j < n_; ++j) {
        const double fa = responseAxisFrequency(j);
        double value;
        if (fa >= f.front()) {
            value = values.front();
        } else if (fa <= f.back()) {
            value = values[count - 1];
        } else {
            while (s + 2 < count && f[s + 1] >= fa) ++s;
            value = CalibSearch::interpolate(fa, f[s], f[s + 1], values[s], values[s + 1]);
        }
        r[static_cast<std::size_t>(j)] += value;
    }
}

bool TabCalib::SetUniformGrid(double f1, double f2)
{
    const double n = std::floor((f2 - f1) / frequencyStep_ + 0.5);
    if (!(n != 0.0) || !std::isfinite(n)) return false;
    const double e = (f2 - f1) / n;
    const double t = f2 + e * std::floor((startFrequency_ - f2) / e);
    std::fill(lineCounts_.begin(), lineCounts_.end(), 0);
    std::fill(tableCounts_.begin(), tableCounts_.end(), 0);
    std::fill(referenceValues_.begin(), referenceValues_.end(), 0.0);
    for (int table = 0; table < t_; ++table) {
        const std::span<double> line = lineTable(table);
        for (int i = 0; i < n_; ++i) line[static_cast<std::size_t>(i)] = t - e * i;
    }
    return true;
}

void TabCalib::SetLineTables(std::span<const double> values)
{
    for (int table = 0; table < t_; ++table) {
        const std::span<double> line = lineTable(table);
        for (std::size_t i = 0; i < line.size(); ++i) line[i] = i < values.size() ? values[i] : 0.0;
    }
    std::fill(lineCounts_.begin(), lineCounts_.end(), 0);
    std::fill(tableCounts_.begin(), tableCounts_.end(), 0);
    std::fill(referenceValues_.begin(), referenceValues_.end(), 0.0);
}

bool TabCalib::tableMeasured(int table) const
{
    const std::span<const std::uint16_t> counts = lineCounts(table);
    return std::any_of(counts.begin(), counts.end(), [](std::uint16_t c) { return c > 0; });
}

void TabCalib::FillGaps()
{
    for (int table = 0; table < t_; ++table) {
        const std::span<double> line = lineTable(table);
        const std::span<const std::uint16_t> counts = lineCounts(table);
        auto measured = [&](int i) { return counts[static_cast<std::size_t>(i)] > 0; };
        auto value = [&](int i) -> double& { return line[static_cast<std::size_t>(i)]; };
        int k = 1;
        while (k < n_ - 1 && !(measured(k - 1) && measured(k + 1))) ++k;
        // Without two measured points around one there is nothing to fill from.
        if (k >= n_ - 1) continue;
        // Towards the end: between measured points the mean of the
        // neighbours, past the last one the line through the two before.
        for (int i = k; i < n_; ++i) {
            if (measured(i)) continue;
            if (i + 1 < n_ && measured(i + 1))
                value(i) = (value(i - 1) + value(i + 1)) * 0.5;
            else
                value(i) = 2.0 * value(i - 1) - value(i - 2);
        }
        // Towards index 0 likewise.
        for (int i = k - 2; i >= 0; --i) {
            if (measured(i)) continue;
            if (i - 1 >= 0 && measured(i - 1))
                value(i) = (value(i - 1) + value(i + 1)) * 0.5;
            else
                value(i) = 2.0 * value(i + 1) - value(i + 2);
        }
    }

    // Tables without measurements copy the nearest measured table before
    // them; those before the first measured table copy the one after them.
    int source = -1;
    for (int table = 0; table < t_; ++table) {
        if (tableMeasured(table)) {
            source = table;
            break;
        }
    }
    if (source < 0) return;
    auto copyTable = [&](int from, int to) {
        const std::span<const double> a = lineTable(from);
        std::copy(a.begin(), a.end(), lineTable(to).begin());
        referenceValues_[static_cast<std::size_t>(to)] = referenceValues_[static_cast<std::size_t>(from)];
    };
    for (int table = 0; table < source; ++table) copyTable(source, table);
    for (int table = source + 1; table < t_; ++table) {
        if (tableMeasured(table))
            source = table;
        else
            copyTable(source, table);
    }
}

int TabCalib::LineTable(int table, std::vector<double>& out) const
{
    if (table < 0 || table >= t_) {
        out.clear();
        return 0;
    }
    const std::span<const double> line = lineTable(table);
    out.assign(line.begin(), line.end());
    return roundHalfUp(referenceValues_[static_cast<std::size_t>(table)]);
}

void TabCalib::RoundedReferences(std::vector<int>& out) const
{
    out.resize(referenceValues_.size());
    for (std::size_t t = 0; t < referenceValues_.size(); ++t) out[t] = roundHalfUp(referenceValues_[t]);
}

void TabCalib::AccumulateLines(std::span<const double> frequencies, double reference, int table)
{
    if (table < 0 || table >= t_ || frequencies.empty() || n_ == 0) return;
    const std::span<double> line = lineTable(table);
    const std::span<std::uint16_t> counts = lineCounts(table);

    int start = 0;
    for (int i = 1; i < n_; ++i) {
        if (std::abs(line[static_cast<std::size_t>(i)] - frequencies[0])
            < std::abs(line[static_cast<std::size_t>(start)] - frequencies[0]))
            start = i;
    }
    // The run of lines 90 to 110 GHz apart that begins the list.
    std::size_t run = 1;
    while (run < frequencies.size()) {
        const double spacing = frequencies[run - 1] - frequencies[run];
        if (!(spacing >= 90.0 && spacing <= 110.0)) break;
        ++run;
    }
    // A point already measured about one spacing below its line shows the
    // nearest point was the wrong one: the lines belong one point earlier.
    for (std::size_t k = 0; k < run; ++k) {
        const long long point = start + static_cast<long long>(k);
        if (point >= n_) break;
        const auto at = static_cast<std::size_t>(point);
        if (counts[at] > 0 && line[at] < frequencies[k] - 80.0) {
            --start;
            break;
        }
    }
    for (std::size_t k = 0; k < run; ++k) {
        const long long point = start + static_cast<long long>(k);
        if (point < 0 || point >= n_) continue;
        const auto at = static_cast<std::size_t>(point);
        const double c = counts[at];
        line[at] = (line[at] * c + frequencies[k]) / (c + 1.0);
        counts[at] = countUp(counts[at]);
    }
    const auto t = static_cast<std::size_t>(table);
    const double c = tableCounts_[t];
    referenceValues_[t] = (referenceValues_[t] * c + reference) / (c + 1.0);
    tableCounts_[t] = countUp(tableCounts_[t]);
}

void TabCalib::LineDeviations(std::span<const double> frequencies, std::vector<double>& deviations, int selector,
                              std::vector<int>& indexes)
{
    std::vector<double> interpolated;
    std::span<const double> line;
    if (selector < 11) {
        line = lineTable(std::clamp(selector, 0, t_ - 1));
    } else {
        interpolatedLineTable(selector, interpolated);
        line = interpolated;
    }
    deviations.resize(frequencies.size());
    indexes.resize(frequencies.size());
    if (line.empty()) {
        std::fill(deviations.begin(), deviations.end(), 0.0);
        std::fill(indexes.begin(), indexes.end(), 0);
        return;
    }
    std::size_t point = 0;
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
        const double f = frequencies[k];
        while (point + 1 < line.size() && std::abs(f - line[point + 1]) < std::abs(f - line[point])) ++point;
        while (point > 0 && std::abs(f - line[point - 1]) < std::abs(f - line[point])) --point;
        deviations[k] = f - line[point];
        indexes[k] = static_cast<int>(point);
    }
}

void TabCalib::ScaleLineTables(double factor)
{
    for (double& value : lineTables_) value *= factor;
}
