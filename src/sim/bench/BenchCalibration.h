#pragma once

// The unit's calibration seen from the bench: the program turns converter
// codes into levels with these tables, so the bench turns the powers it
// simulates into codes with their inverse. Built once from the calibration
// image; read-only afterwards (shared by the threads that ask for data).
//
// The laws mirror the program's conversion: a level is the base value (or
// a detector's origin) minus the level axis interpolated on a descending
// code table, extended along the end segments outside it; the detectors'
// frequency responses lie on the response axis; the EXT codes of 0.0 ...
// 3.0 V ascend.

#include <array>
#include <vector>

class DataCalib;

namespace vemarsim {

class BenchCalibration {
public:
    explicit BenchCalibration(const DataCalib& image);

    // Analog converter code (not rounded) of an output-monitor level, dBm.
    double outputCode(double levelDbm) const;
    // Analog code of a detector (0..3) seeing levelDbm at frequencyGHz.
    double detectorCode(int detector, double levelDbm, double frequencyGHz) const;
    // Analog code of the EXT input at that voltage.
    double extCode(double volts) const;

    // The program's forward conversions, used to check the inverses.
    double outputLevel(double code) const;
    double detectorLevel(int detector, double code, double frequencyGHz) const;
    double extVolts(double code) const;

    // The detector's response (dB) at a frequency.
    double response(int detector, double frequencyGHz) const;

    // The reference lines (GHz, descending) at the middle of the calibrated
    // reference range: those the measurement pairs its marks with.
    const std::vector<double>& referenceLines() const { return referenceLines_; }
    // The middle of the reference range, as the unit reads it.
    int middleReference() const { return middleReference_; }

private:
    // Inverse and forward of "axis interpolated on a descending code table".
    double codeAt(const std::vector<double>& codes, double axisValue) const;
    double axisAt(const std::vector<double>& codes, double code) const;

    double base_ = 0.0;
    std::vector<double> levelAxis_;
    std::vector<double> outputCodes_;
    std::array<std::vector<double>, 4> detectorCodes_;
    std::array<double, 4> detectorOrigin_{};
    std::array<std::vector<double>, 4> response_;
    double responseStart_ = 0.0;
    double frequencyStep_ = 100.0;
    std::vector<double> extCodes_;
    std::vector<double> referenceLines_;
    int middleReference_ = 0;
};

}  // namespace vemarsim
