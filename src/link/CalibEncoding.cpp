#include "CalibEncoding.h"

#include <algorithm>
#include <cmath>

namespace CalibEncoding {

std::uint16_t toWord(double value)
{
    if (!(value > 0.0)) return 0;  // negative, zero and NaN
    if (value >= 65535.0) return 65535;
    return static_cast<std::uint16_t>(value);
}

double decodeBase(std::uint16_t word, std::uint16_t offsetWord) { return word * 0.001 - offsetWord; }

BaseWords encodeBase(double value)
{
    BaseWords w;
    w.offsetWord = value >= 0.0 ? 0 : toWord(0.5 - std::floor(value));
    w.word = toWord((w.offsetWord + value) * 1000.0);
    return w;
}

double decodeTableB(std::uint16_t word) { return word * 0.002; }

std::uint16_t encodeTableB(double value) { return toWord(value * 500.0 + 0.5); }

std::uint16_t encodeReference(double value) { return toWord(std::floor(value + 0.5)); }

double frequencyReferenceGHz(double startFrequencyGHz, double stepGHz, int column)
{
    return column == 0 ? startFrequencyGHz : startFrequencyGHz - (column - 1) * stepGHz;
}

double decodeFrequency(std::uint16_t word, double referenceGHz) { return referenceGHz - word * 0.01; }

std::uint16_t encodeFrequency(double valueGHz, double referenceGHz)
{
    return toWord((referenceGHz - valueGHz) * 100.0 + 0.5);
}

std::uint16_t responseOffsetWord(std::span<const double> values)
{
    double smallest = 0.0;
    for (double v : values) smallest = std::min(smallest, v);
    return toWord(0.5 - std::floor(smallest));
}

double decodeResponse(std::uint16_t word, std::uint16_t offsetWord) { return word * 0.001 - offsetWord; }

std::uint16_t encodeResponse(double value, std::uint16_t offsetWord)
{
    return toWord((offsetWord + value) * 1000.0 + 0.5);
}

double decodeScale(std::uint16_t word) { return word * 0.0001; }

std::uint16_t encodeScale(double value) { return toWord(value * 10000.0); }

}  // namespace CalibEncoding
