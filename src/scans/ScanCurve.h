#pragma once

// One detector curve of a trace: its points and envelopes and how it is
// drawn (shifts, colour, visibility). The chart layer owns the series that
// show it and is told when the curve changes or goes.

#include <cstdint>
#include <string>

#include "ScanData.h"

class ScanChart;
class ScanForm;

// Colours are 0xRRGGBB.
inline constexpr std::uint32_t curveColourBlack = 0x000000;

// The palette colour of a curve by its position in its trace (positions
// beyond the sixth start the palette again).
std::uint32_t curvePaletteColour(int position);

class ScanCurve {
public:
    ScanCurve(ScanForm* form, ScanChart* chart, std::string name, std::uint32_t colour);
    ~ScanCurve();
    ScanCurve(const ScanCurve&) = delete;
    ScanCurve& operator=(const ScanCurve&) = delete;

    // Asks the chart to draw the curve again.
    void Redraw() const;

    ScanData& data() { return data_; }
    const ScanData& data() const { return data_; }
    const std::string& name() const { return name_; }
    ScanForm* form() const { return form_; }
    ScanChart* chart() const { return chart_; }

    double xShift() const { return xShift_; }
    double yShift() const { return yShift_; }
    void setXShift(double shift) { xShift_ = shift; }
    void setYShift(double shift) { yShift_ = shift; }
    bool visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }
    bool showMinMax() const { return showMinMax_; }
    void setShowMinMax(bool show) { showMinMax_ = show; }
    std::uint32_t colour() const { return colour_; }
    void setColour(std::uint32_t colour) { colour_ = colour; }
    // A min/max curve has envelope series (drawn with a pen width of 2).
    bool hasEnvelopes() const { return hasEnvelopes_; }
    // A min/max curve has envelope arrays to draw from the start; the
    // others have them only while a measurement computes them.
    void setEnvelopes(bool withEnvelopes)
    {
        hasEnvelopes_ = withEnvelopes;
        if (withEnvelopes)
            data_.ensureEnvelopes();
        else
            data_.dropEnvelopes();
    }

    static constexpr int envelopePenWidth = 2;

private:
    ScanForm* form_;
    ScanChart* chart_;
    ScanData data_;
    double xShift_ = 0.0;
    double yShift_ = 0.0;
    bool hasEnvelopes_ = false;
    bool visible_ = true;
    bool showMinMax_ = true;
    std::uint32_t colour_;
    std::string name_;
};
