#pragma once

// The live light levels of the "Control/Calibration" page: what one reading
// of the unit's ten levels shows as six bars (the output monitor, the four
// detectors on the power axis, the EXT input on the voltage axis), where the
// value labels stand over them, and the run that reads the unit every tick
// on a scan controller and calibration tables of its own.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "IdentityRecord.h"

class ControlSnS;
class TabCalib;

namespace PowerControl {

using Levels = std::array<std::int32_t, 10>;

// A raw converter level above this is saturated.
inline constexpr std::int32_t saturatedLevel = 4050;
// Below this the output monitor sees too little light to be trusted.
inline constexpr double lowestOutputDbm = -16.0;
// Readings averaged per tick.
inline constexpr int readingsPerTick = 10;
inline constexpr int tickMs = 250;

enum class Colour { Red, Green, Blue };

struct Bar {
    double x = 0.0;         // 1 output, 2..5 detectors 1..4, 6 Ext
    double value = 0.0;     // dBm, or volts for Ext
    Colour colour = Colour::Green;
    bool voltageAxis = false;
    std::string label;      // the value as the label over the bar shows it
};

inline constexpr int barCount = 6;
inline constexpr std::array<const char*, barCount> barNames = {"Output",     "Detector 1", "Detector 2",
                                                               "Detector 3", "Detector 4", "Ext"};

struct Reading {
    std::array<Bar, barCount> bars;
};

// The converted values of one reading.
struct Values {
    double outputDbm = 0.0;
    std::array<double, 4> detectorsDbm{};
    double extVolts = 0.0;
};

// Levels: 0 output monitor, 2..5 detectors 1..4, 7 EXT.
Values convert(const Levels& levels, TabCalib& calib);
Reading reading(const Levels& levels, const Values& values);
// "%+2.2f", "." whatever the locale.
std::string labelText(double value);

// The plot area of the chart in pixels (right = left + width, bottom = top
// + height).
struct PlotArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct LabelPlacement {
    int top = 0;                         // of every label
    std::array<int, barCount> centreX{};  // in bar order
};

// All labels at bottom - height / 30 - labelHeight; with a = width / 7 the
// output and detector labels are centred at left + a ... left + 5a, the Ext
// label at right - a (integer pixels throughout).
LabelPlacement placeLabels(const PlotArea& plot, int labelHeight);

// The power control while it runs: its own connection to the unit (a
// controller without scan parameters, so no optical switch is used) and its
// own calibration tables. Made and used on one thread; the unit is shared
// with nothing else meanwhile (a measurement stops it first).
class Run {
public:
    // Loads the tables of identity's calibration file in calibFolder (left
    // at zero when it cannot be read: the bars then show raw conversions)
    // and selects the input.
    Run(const std::string& calibFolder, const IdentityRecord& identity, int input);
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // One tick: a new input is selected first, then the levels are read.
    // The levels stay as the controller leaves them when a read fails.
    Reading tick(int input);
    int input() const { return input_; }
    const Levels& levels() const { return levels_; }

private:
    std::unique_ptr<ControlSnS> unit_;
    std::unique_ptr<TabCalib> calib_;
    int input_ = 0;
    Levels levels_{};
};

}  // namespace PowerControl
