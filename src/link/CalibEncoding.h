#pragma once

// How the values of a calibration image are stored in its 16-bit words. Each
// pair of functions is the exact inverse the calibration file was written
// with; a value that does not fit a word is clamped to 0..65535 instead of
// wrapping round.

#include <cstdint>
#include <span>

namespace CalibEncoding {

// The scale value of a file of the short, older form (it has no scale word).
inline constexpr double shortFormScale = 0.08;

// Truncation toward zero, clamped to a word.
std::uint16_t toWord(double value);

// Base value = word × 0.001 − offset word; a negative value gets the offset
// that lifts it above zero.
struct BaseWords {
    std::uint16_t word = 0;
    std::uint16_t offsetWord = 0;
};
double decodeBase(std::uint16_t word, std::uint16_t offsetWord);
BaseWords encodeBase(double value);

// Table B: word × 0.002.
double decodeTableB(std::uint16_t word);
std::uint16_t encodeTableB(double value);

// Reference words hold the nearest integer (a tie goes up).
std::uint16_t encodeReference(double value);

// Frequency tables: column 0 and column 1 count from the start frequency,
// column j ≥ 1 from start − (j − 1) × step; a word counts 0.01 GHz below it.
double frequencyReferenceGHz(double startFrequencyGHz, double stepGHz, int column);
double decodeFrequency(std::uint16_t word, double referenceGHz);
std::uint16_t encodeFrequency(double valueGHz, double referenceGHz);

// Response tables: word × 0.001 − the detector's offset word, the offset
// lifting the smallest negative value of the table above zero.
std::uint16_t responseOffsetWord(std::span<const double> values);
double decodeResponse(std::uint16_t word, std::uint16_t offsetWord);
std::uint16_t encodeResponse(double value, std::uint16_t offsetWord);

// Scale: word × 0.0001.
double decodeScale(std::uint16_t word);
std::uint16_t encodeScale(double value);

}  // namespace CalibEncoding
