#include "CalibrationTools.h"

#include <cmath>
#include <filesystem>

#include "ScanTrace.h"
#include "TabCalib.h"

namespace CalibrationTools {

CalibrationEdit::CalibrationEdit() = default;
CalibrationEdit::~CalibrationEdit() = default;
CalibrationEdit::CalibrationEdit(CalibrationEdit&&) noexcept = default;
CalibrationEdit& CalibrationEdit::operator=(CalibrationEdit&&) noexcept = default;

CalibrationEdit loadForEditing(const std::string& calibFolder, const IdentityRecord& identity)
{
    CalibrationEdit edit;
    auto tables = std::make_unique<TabCalib>(calibFolder, identity);
    edit.identity = identity;
    if (tables->Load(edit.identity) != 0) {
        edit.problem = "The calibration file " + calibFolder + calibrationFileName(identity) +
                       " can't be used: " + tables->loadProblem();
        return edit;
    }
    edit.tables = std::move(tables);
    return edit;
}

bool lineTablesFitTheFile(const TabCalib& tables)
{
    const DataCalib& layout = tables.layout();
    constexpr double largestOffsetGHz = 65535 * 0.01;
    for (int t = 0; t < tables.TableCount(); ++t) {
        const std::span<const double> line = tables.lineTable(t);
        for (int j = 0; j < tables.PointCount(); ++j) {
            const double below = layout.frequencyReferenceGHz(j) - line[static_cast<std::size_t>(j)];
            // Half a count either way is what the rounding of the file takes.
            if (!(below > -0.005 && below < largestOffsetGHz + 0.005)) return false;
        }
    }
    return true;
}

std::string curveName(int item) { return item == bncItem ? std::string("Ext") : std::to_string(item + 1); }

std::optional<CurvePoints> calibrationCurve(const ScanTrace& trace, int item)
{
    const ScanCurve* curve = trace.FindCurve(curveName(item));
    if (curve == nullptr) return std::nullopt;
    const ScanData& data = curve->data();
    const int n = data.count();
    if (n < 2) return std::nullopt;
    CurvePoints points;
    points.wavelengths.assign(data.x().begin(), data.x().begin() + n);
    points.values.assign(data.y().begin(), data.y().begin() + n);
    return points;
}

std::optional<LocalAutoCalibBNC> bncCorrection(std::span<const double> x, std::span<const double> y)
{
    const std::size_t n = std::min(x.size(), y.size());
    if (n < 3) return std::nullopt;
    const auto count = static_cast<std::size_t>(LocalAutoCalibBNC::writtenPointCount);
    LocalAutoCalibBNC table;
    table.start = x[0];
    table.step = (x[n - 1] - x[0]) / static_cast<double>(count - 1);
    // A table without a range (or made of what is not a number) is one the
    // scan controller refuses, and with it every measurement of the EXT input.
    if (!std::isfinite(table.start) || !std::isfinite(table.step) || !(table.step > 0.0)) return std::nullopt;
    table.values.resize(count);
    std::size_t i = 1;
    for (std::size_t j = 0; j < count; ++j) {
        const double a = table.start + static_cast<double>(j) * table.step;
        // The samples are ascending, so the search goes on from the last one;
        // it stops at n - 2, the last segment being extended from there.
        while (i < n - 2 && x[i] < a) ++i;
        const double dx = x[i] - x[i - 1];
        const double value = dx == 0.0 ? (y[i - 1] + y[i]) / 2.0 : y[i - 1] + (y[i] - y[i - 1]) * (a - x[i - 1]) / dx;
        if (!std::isfinite(value)) return std::nullopt;
        table.values[j] = value;
    }
    return table;
}

std::string bncCorrectionPath(const std::string& calibFolder)
{
    return (std::filesystem::path(calibFolder) / LocalAutoCalibBNC::fileName).string();
}

BncWrite writeBncCorrection(const std::string& calibFolder, const CurvePoints& curve)
{
    const std::optional<LocalAutoCalibBNC> table = bncCorrection(curve.wavelengths, curve.values);
    if (!table) return BncWrite::NoTable;
    std::error_code ignored;  // a folder that cannot be made fails the write below
    std::filesystem::create_directories(calibFolder, ignored);
    return writeLocalAutoCalibBNC(bncCorrectionPath(calibFolder), *table) ? BncWrite::Written : BncWrite::Failed;
}

WavelengthCheck checkWavelengths(double measuredNm, double expectedNm)
{
    WavelengthCheck check;
    if (measuredNm <= wavelengthEditMinimumNm)
        check.warning = noWavelengthDataText;
    else if (!(std::fabs(measuredNm - expectedNm) < largestDetuningNm))
        check.warning = detuningText;
    else
        check.factor = measuredNm / expectedNm;
    return check;
}

int keptDetectorItem(int item, const ScanParameterBlock& block)
{
    switch (item) {
    case 1: return block.enable2 != 0 ? item : 0;
    case 2: return block.enable3 != 0 ? item : 0;
    case 3: return block.enable4 != 0 ? item : 0;
    case bncItem: return block.enableExt != 0 ? item : 0;
    default: return 0;
    }
}

std::string doneCaption(const std::string& caption) { return caption.size() == 1 ? caption + doneMark : caption; }

}  // namespace CalibrationTools
