#include "TransferChartSeries.h"

#include <qcustomplot.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "PixelReduction.h"
#include "ScanTrace.h"

namespace {

QColor colourOf(std::uint32_t rgb)
{
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

void addGraph(QCustomPlot& plot, QCPAxis* valueAxis, const std::vector<PlotPoint>& points, const QPen& pen)
{
    QCPGraph* graph = plot.addGraph(plot.xAxis, valueAxis);
    QVector<double> keys;
    QVector<double> values;
    keys.reserve(static_cast<qsizetype>(points.size()));
    values.reserve(static_cast<qsizetype>(points.size()));
    for (const PlotPoint& p : points) {
        keys.push_back(p.x);
        values.push_back(p.y);
    }
    // The reduction keeps the points' order (a line, not a sorted scatter).
    graph->setData(keys, values, true);
    graph->setAdaptiveSampling(true);
    graph->setPen(pen);
}

}  // namespace

double voltAxisValue(double leftValue) { return (leftValue + 70.0) * 0.04; }

void setUpTransferChart(QCustomPlot& plot, const TransferChartView& view)
{
    plot.legend->setVisible(false);
    plot.xAxis->setLabel(view.frequencyDisplay ? "Frequency (THz)" : "Wavelength (nm)");
    plot.yAxis->setLabel("Transfer function (dB)");
    plot.yAxis2->setVisible(true);
    plot.yAxis2->setLabel("Volts (V)");
    plot.yAxis2->grid()->setVisible(false);
    plot.xAxis->setRange(view.bottomMinimum, view.bottomMaximum);
    plot.yAxis->setRange(view.leftMinimum, view.leftMaximum);
    plot.yAxis2->setRange(voltAxisValue(view.leftMinimum), voltAxisValue(view.leftMaximum));
}

void showTrace(QCustomPlot& plot, const ScanTrace& trace, const TransferChartView& view, int widthPixels)
{
    plot.clearGraphs();
    const PixelAxis axis{view.bottomMinimum, view.bottomMaximum, widthPixels};
    std::vector<PlotPoint> points;
    EnvelopeSeries envelopes;
    for (int i = 0; i < trace.CurveCount(); ++i) {
        const ScanCurve& curve = *trace.CurveAt(i);
        if (!curve.visible()) continue;
        const QColor colour = colourOf(curve.colour());
        QCPAxis* valueAxis = curve.name() == "Ext" && view.extOnVoltAxis ? plot.yAxis2 : plot.yAxis;
        if (curve.hasEnvelopes() && curve.showMinMax()) {
            reduceEnvelopes(curve, view.frequencyDisplay, axis, envelopes);
            QPen pen(colour.lighter(150));
            pen.setWidth(ScanCurve::envelopePenWidth);
            addGraph(plot, valueAxis, envelopes.minimum, pen);
            addGraph(plot, valueAxis, envelopes.maximum, pen);
        }
        reduceCurve(curve, view.frequencyDisplay, axis, points);
        addGraph(plot, valueAxis, points, QPen(colour));
    }
}

TransferChartView pictureView(const ScanTrace& trace, bool frequencyDisplay)
{
    TransferChartView view;
    view.frequencyDisplay = frequencyDisplay;
    double low = 0.0;
    double high = 0.0;
    if (const SourceConfigurationView* sources = trace.configuration()) {
        low = sources->scanStart();
        high = sources->scanStop();
    }
    if (!(high > low)) {
        low = std::numeric_limits<double>::max();
        high = std::numeric_limits<double>::lowest();
        for (int i = 0; i < trace.CurveCount(); ++i) {
            const ScanData& data = trace.CurveAt(i)->data();
            if (data.count() == 0) continue;
            low = std::min(low, data.X(0));
            high = std::max(high, data.X(data.count() - 1));
        }
        if (!(high > low)) {
            low = 1240.0;
            high = 1680.0;
        }
    }
    if (frequencyDisplay) {
        view.bottomMinimum = terahertzNm / high;
        view.bottomMaximum = terahertzNm / low;
    } else {
        view.bottomMinimum = low;
        view.bottomMaximum = high;
    }
    return view;
}
