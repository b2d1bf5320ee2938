#pragma once

// The information block of the chart page for the selected curve, and the
// caption that marks the selected curve among the visibility boxes.

#include <string>
#include <string_view>

#include "CurveAnalysis.h"

class ScanCurve;

// The captions and values of the block; the values are empty when no curve
// is selected (selected null) or the figures have no value.
CurveInformationTexts curveInformation(const ScanCurve* selected, const CurveLevels& levels, SpectralUnit unit);

// "1" or, for the selected curve, "1 (S)" (shown in bold).
std::string curveCaption(std::string_view name, bool selected);
