#pragma once

// The three charts fed by each scan besides the transfer functions:
// "Sweeping velocity", "Output power" and "Mode Hopping". QCustomPlot charts
// whose velocity and power series are reduced per column of the axis by the
// transfer-function chart's reduction (PixelReduction.h); only
// ScanInfoCharts.cpp includes the plotting library.

#include <array>
#include <memory>
#include <string>

class QCustomPlot;
class QWidget;
class ScanRes;

class TScanInfoCharts {
public:
    enum Chart { Velocity, Power, ModeHop };

    // Each chart is created as a child of its page; the caller lays it out.
    TScanInfoCharts(QWidget& velocityPage, QWidget& powerPage, QWidget& modeHopPage);
    ~TScanInfoCharts();

    QWidget* velocityChart() const;
    QWidget* powerChart() const;
    QWidget* modeHopChart() const;

    // The refresh after a scan. detectorEnabled[k] for detectors 2 to 4
    // (k = 1..3; detector 1 is always drawn); thz draws against frequency.
    void refresh(const ScanRes& result, const std::array<bool, 4>& detectorEnabled, bool thz, bool keepModeHop);
    // A measurement starts: the mode-hop points go.
    void clearModeHop();
    // The chart as it stands, as a PNG picture of its size on the screen,
    // written whole or not at all. False with the reason in *why.
    bool savePng(Chart chart, const std::string& fileName, std::string* why) const;

    // Points on the charts (tests, screenshots).
    int velocityPoints() const;
    // Series 0 output, 1 to 4 detectors.
    int powerPoints(int series) const;
    int modeHopPoints(bool earlier) const;

private:
    QCustomPlot* velocity_;
    QCustomPlot* power_;
    QCustomPlot* modeHop_;
};
