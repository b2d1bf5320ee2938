#pragma once

// Pictures of the transfer-function chart (".png", ".bmp"), drawn by the
// chart itself (TransfertChart), so that a saved picture looks like the
// chart on screen. Encoding draws widgets, so it must run on the thread of
// the application object (the offscreen platform is enough).
//
// ChartPictureRenderer draws a trace on a chart of its own, at the scan
// range of the trace: what ScanTrace::SavePng and SaveBitmap use where no
// window shows the chart (vemar-cli). TransfertChartPicture draws the
// window's chart as it stands.

#include "ChartPicture.h"

class TransfertChart;

class ChartPictureRenderer : public ChartPicture {
public:
    explicit ChartPictureRenderer(int widthPixels = 1200, int heightPixels = 700, bool extOnVoltAxis = true);

    bool canEncode(PictureFormat format) const override;
    bool encode(const ScanTrace& trace, PictureFormat format, std::string& bytes, std::string& error) const override;

private:
    int width_;
    int height_;
    bool extOnVoltAxis_;
};

class TransfertChartPicture : public ChartPicture {
public:
    // The chart must outlive the installed picture.
    explicit TransfertChartPicture(TransfertChart& chart) : chart_(chart) {}

    bool canEncode(PictureFormat format) const override;
    // The chart at its size on screen; the trace is the one it shows.
    bool encode(const ScanTrace& trace, PictureFormat format, std::string& bytes, std::string& error) const override;

private:
    TransfertChart& chart_;
};
