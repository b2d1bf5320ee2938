#pragma once

// Texts of passband figures: a fixed number of decimals, rounded half away
// from zero, "." as decimal separator whatever the locale, no "-" in front
// of a value that rounds to zero; the none marker reads "--".

#include <string>

std::string formatFixed(double value, int decimals);
std::string formatFigure(float value, int decimals);
