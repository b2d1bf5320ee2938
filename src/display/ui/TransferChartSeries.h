#pragma once

// The transfer-function chart on a QCustomPlot: its axes ("Wavelength (nm)"
// or "Frequency (THz)", "Transfer function (dB)", and the volt axis on the
// right that follows the left one) and one graph per visible curve of a
// trace, with its envelopes when the curve shows them. Graphs get the
// core's per-pixel reduction of the points, not every point.

class QCustomPlot;
class ScanTrace;

struct TransferChartView {
    double bottomMinimum = 1240.0;  // nm, or THz in frequency display
    double bottomMaximum = 1680.0;
    double leftMinimum = -80.0;  // dB
    double leftMaximum = 2.0;
    bool frequencyDisplay = false;
    // The "Ext" curve is drawn against the volt axis (the EXT input read as volts).
    bool extOnVoltAxis = true;
};

// The volt axis of a left-axis value: -80 dB is -0.4 V, 5 dB is 3 V.
double voltAxisValue(double leftValue);

// Axis titles, ranges and the right-hand axis of the view.
void setUpTransferChart(QCustomPlot& plot, const TransferChartView& view);

// Replaces the plot's graphs with the trace's visible curves (palette
// colours, shifts applied), reduced for a plot widthPixels wide.
void showTrace(QCustomPlot& plot, const ScanTrace& trace, const TransferChartView& view, int widthPixels);

// The view a picture of the trace uses: the scan range of the trace's
// source configuration (else the range of its points) and the reset left
// axis, -80 to 2 dB.
TransferChartView pictureView(const ScanTrace& trace, bool frequencyDisplay);
