#include "ScanInfoCharts.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "AtomicFile.h"
#include "Frequency.h"
#include "PixelReduction.h"
#include "PointSeries.h"
#include "ScanChannels.h"
#include "ScanRes.h"

namespace {

const char* bottomTitle(bool thz) { return thz ? "Frequency (Thz)" : "Wavelength (nm)"; }

QCustomPlot* newChart(QWidget& page)
{
    auto* plot = new QCustomPlot(&page);
    plot->setNoAntialiasingOnDrag(true);
    plot->setBufferDevicePixelRatio(1.0);
    return plot;
}

QCPGraph* pointSeries(QCustomPlot& plot, const QColor& colour)
{
    QCPGraph* graph = addPointSeries(plot, colour, 3);
    graph->setAdaptiveSampling(true);
    return graph;
}

// The velocity and power series hold a point per sample, a million in a
// wide scan: they are reduced as the transfer-function chart reduces its
// curves, per column of the axis the lowest and the highest value, on more
// columns than any screen shows, so that the picture stays the same.
constexpr int reductionColumns = 2048;

void setReducedPoints(QCPGraph& graph, const std::vector<double>& wavelengthNm, const std::vector<double>& values,
                      bool thz)
{
    const std::size_t n = std::min(wavelengthNm.size(), values.size());
    if (n == 0 || wavelengthNm.front() <= 0.0) {
        graph.data()->clear();
        return;
    }
    PixelAxis axis{wavelengthNm.front(), wavelengthNm[n - 1], reductionColumns};
    if (thz) axis = {terahertzNm / wavelengthNm[n - 1], terahertzNm / wavelengthNm.front(), reductionColumns};
    std::vector<PlotPoint> reduced;
    reduceCurve(std::span(wavelengthNm).first(n), std::span(values).first(n), {}, thz, axis, reduced);
    QVector<QCPGraphData> data;
    data.reserve(static_cast<qsizetype>(reduced.size()));
    for (const PlotPoint& p : reduced) data.append(QCPGraphData(p.x, p.y));
    graph.data()->set(data, true);
}

}  // namespace

TScanInfoCharts::TScanInfoCharts(QWidget& velocityPage, QWidget& powerPage, QWidget& modeHopPage)
    : velocity_(newChart(velocityPage)), power_(newChart(powerPage)), modeHop_(newChart(modeHopPage))
{
    velocity_->setObjectName("VelocityChart");
    power_->setObjectName("PowerChart");
    modeHop_->setObjectName("ModeHopingChart");

    pointSeries(*velocity_, Qt::red);
    velocity_->xAxis->setLabel(bottomTitle(false));
    velocity_->yAxis->setLabel("Velocity (nm/s)");

    pointSeries(*power_, QColor(0, 160, 0));   // output
    pointSeries(*power_, Qt::blue);            // detector 1
    pointSeries(*power_, Qt::red);             // detector 2
    pointSeries(*power_, QColor(0, 100, 0));   // detector 3
    pointSeries(*power_, QColor(90, 170, 255));  // detector 4
    power_->xAxis->setLabel(bottomTitle(false));
    power_->yAxis->setLabel("Power (dBm)");
    power_->yAxis->setRange(-75.0, 0.0);

    pointSeries(*modeHop_, Qt::gray);  // points of earlier scans
    pointSeries(*modeHop_, Qt::red);   // this scan's
    modeHop_->xAxis->setLabel(bottomTitle(false));
    modeHop_->yAxis->setRange(-10.0, 10.0);
}

TScanInfoCharts::~TScanInfoCharts() = default;

QWidget* TScanInfoCharts::velocityChart() const { return velocity_; }
QWidget* TScanInfoCharts::powerChart() const { return power_; }
QWidget* TScanInfoCharts::modeHopChart() const { return modeHop_; }

void TScanInfoCharts::refresh(const ScanRes& result, const std::array<bool, 4>& detectorEnabled, bool thz,
                              bool keepModeHop)
{
    const std::size_t n = result.wavelength.size();

    // Sweeping velocity.
    setReducedPoints(*velocity_->graph(0), result.wavelength, result.velocity, thz);
    velocity_->xAxis->setLabel(bottomTitle(thz));
    velocity_->xAxis->rescale();
    // The first sample's velocity is 0 by definition: the axis shows the sweep.
    double low = 0.0, high = 0.0;
    bool any = false;
    for (std::size_t i = 1; i < std::min(n, result.velocity.size()); ++i) {
        const double v = result.velocity[i];
        if (!any) low = high = v;
        low = std::min(low, v);
        high = std::max(high, v);
        any = true;
    }
    if (any) {
        const double margin = std::max((high - low) * 0.1, std::max(std::abs(high) * 0.01, 0.01));
        velocity_->yAxis->setRange(low - margin, high + margin);
    }
    velocity_->replot();

    // Output power: output and detector 1 always, detectors 2 to 4 when enabled.
    const std::array<int, 5> channelSlots = {ScanChannel::Output, ScanChannel::Detector1, ScanChannel::Detector2,
                                      ScanChannel::Detector3, ScanChannel::Detector4};
    for (int s = 0; s < 5; ++s) {
        QCPGraph& graph = *power_->graph(s);
        const bool wanted = s < 2 || detectorEnabled[static_cast<std::size_t>(s - 1)];
        const auto slot = static_cast<std::size_t>(channelSlots[static_cast<std::size_t>(s)]);
        if (wanted && result.present[slot])
            setReducedPoints(graph, result.wavelength, result.values[slot], thz);
        else
            graph.data()->clear();
    }
    power_->xAxis->setLabel(bottomTitle(thz));
    power_->xAxis->rescale();
    power_->yAxis->setRange(-75.0, 0.0);
    power_->replot();

    // Mode hopping: the earlier points turn grey, the new ones are red.
    QCPGraph& earlier = *modeHop_->graph(0);
    QCPGraph& latest = *modeHop_->graph(1);
    if (keepModeHop) {
        earlier.data()->add(*latest.data());
    } else {
        earlier.data()->clear();
    }
    latest.data()->clear();
    const std::size_t hops = std::min(result.referenceWavelengths.size(), result.referenceDeviations.size());
    for (std::size_t i = 0; i < hops; ++i) {
        const double w = result.referenceWavelengths[i];
        latest.addData(thz ? (w > 0.0 ? terahertzNm / w : 0.0) : w, result.referenceDeviations[i]);
    }
    modeHop_->xAxis->setLabel(bottomTitle(thz));
    if (n > 0) {
        double first = result.wavelength.front();
        double last = result.wavelength.back();
        if (thz) {
            first = terahertzNm / result.wavelength.back();
            last = terahertzNm / result.wavelength.front();
        }
        modeHop_->xAxis->setRange(first, last);
    }
    modeHop_->yAxis->setRange(-10.0, 10.0);
    modeHop_->replot();
}

void TScanInfoCharts::clearModeHop()
{
    modeHop_->graph(0)->data()->clear();
    modeHop_->graph(1)->data()->clear();
    modeHop_->replot();
}

int TScanInfoCharts::velocityPoints() const { return velocity_->graph(0)->dataCount(); }
int TScanInfoCharts::powerPoints(int series) const { return power_->graph(series)->dataCount(); }
int TScanInfoCharts::modeHopPoints(bool earlier) const { return modeHop_->graph(earlier ? 0 : 1)->dataCount(); }

bool TScanInfoCharts::savePng(Chart chart, const std::string& fileName, std::string* why) const
{
    QCustomPlot* plot = chart == Velocity ? velocity_ : chart == Power ? power_ : modeHop_;
    // A chart never shown yet has no size of its own: it is drawn at the
    // size of its page.
    const int width = std::max(plot->width(), 640);
    const int height = std::max(plot->height(), 480);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!plot->toPixmap(width, height).save(&buffer, "PNG")) {
        if (why != nullptr) *why = "the picture cannot be encoded";
        return false;
    }
    AtomicFileWriter file(fileName);
    if (!file.isOpen() || !file.write(png.constData(), static_cast<std::size_t>(png.size())) || !file.commit()) {
        if (why != nullptr) *why = "the file cannot be written";
        return false;
    }
    return true;
}
