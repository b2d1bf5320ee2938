#include "CurveInformation.h"

#include "ScanCurve.h"

CurveInformationTexts curveInformation(const ScanCurve* selected, const CurveLevels& levels, SpectralUnit unit)
{
    CurveFigures figures;
    if (selected != nullptr) {
        const ScanData& data = selected->data();
        const auto n = static_cast<std::size_t>(data.count());
        figures = analyseCurve(CurvePoints(data.x().first(n), data.y().first(n)), levels, unit);
    }
    return curveInformationTexts(figures, levels, unit);
}

std::string curveCaption(std::string_view name, bool selected)
{
    std::string caption(name);
    if (selected) caption += " (S)";
    return caption;
}
