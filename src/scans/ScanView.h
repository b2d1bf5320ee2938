#pragma once

// What the scan store needs of the window that shows it. The store keeps the
// data and the display state; the window (or nothing, in the command-line
// tool and the tests) draws it. Every call comes from the user-interface
// thread: the measurement thread never reaches the store.

#include <cstdint>

class ScanArea;
class ScanCurve;

// The main window as the scan store sees it.
class ScanForm {
public:
    virtual ~ScanForm() = default;
    // The chart shows frequencies (THz) instead of wavelengths (nm).
    virtual bool frequencyDisplay() const = 0;
    // The sweep is started by an external trigger; a trace then keeps no
    // copy of the source configuration.
    virtual bool externalTriggerMode() const = 0;
};

// Linear mapping of one chart's axis values to its pixels:
// pixelX = xOffset + xScale * x, pixelY = yOffset + yScale * y.
struct PixelMapping {
    double xOffset = 0.0;
    double xScale = 1.0;
    double yOffset = 0.0;
    double yScale = 1.0;
};

// The transfer-function chart as the scan store sees it.
class ScanChart {
public:
    virtual ~ScanChart() = default;
    // The curve's points, shifts, colour or visibility changed: redraw its series.
    virtual void curveChanged(const ScanCurve& curve) = 0;
    // The curve is about to be deleted: drop its series.
    virtual void curveRemoved(const ScanCurve& curve) = 0;
    // The coverage shapes or their visibility changed.
    virtual void coverageChanged(const ScanArea& area) = 0;
    // The coverage object is about to be deleted: drop its shapes.
    virtual void coverageRemoved(const ScanArea& area) = 0;
    // Pixel mapping of the axes the curve is drawn on (the Ext curve may sit
    // on the right-hand axis), in the current display unit.
    virtual PixelMapping pixelMapping(const ScanCurve& curve) const = 0;
    // Background colour, 0xRRGGBB.
    virtual std::uint32_t backgroundColour() const = 0;
};
