#pragma once

// Pictures of the transfer-function chart drawn offscreen with QCustomPlot:
// the ChartPicture that ScanTrace::SavePng and SaveBitmap use where no
// window shows the chart (vemar-cli). Encoding draws widgets, so it must run
// on the thread of the application object (offscreen platform is enough).

#include "ChartPicture.h"

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
