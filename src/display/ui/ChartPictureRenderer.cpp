#include "ChartPictureRenderer.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QThread>

#include "TransferChartSeries.h"

ChartPictureRenderer::ChartPictureRenderer(int widthPixels, int heightPixels, bool extOnVoltAxis)
    : width_(widthPixels), height_(heightPixels), extOnVoltAxis_(extOnVoltAxis)
{
}

bool ChartPictureRenderer::canEncode(PictureFormat format) const
{
    return QImageWriter::supportedImageFormats().contains(format == PictureFormat::Png ? "png" : "bmp");
}

bool ChartPictureRenderer::encode(const ScanTrace& trace, PictureFormat format, std::string& bytes,
                                  std::string& error) const
{
    if (QCoreApplication::instance() == nullptr || QThread::currentThread() != QCoreApplication::instance()->thread()) {
        error = "the chart can only be drawn on the application's thread";
        return false;
    }
    QCustomPlot plot;
    plot.resize(width_, height_);
    TransferChartView view = pictureView(trace, false);
    view.extOnVoltAxis = extOnVoltAxis_;
    setUpTransferChart(plot, view);
    showTrace(plot, trace, view, width_);
    const QImage image = plot.toPixmap(width_, height_).toImage();
    if (image.isNull()) {
        error = "the chart could not be drawn";
        return false;
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format == PictureFormat::Png ? "PNG" : "BMP")) {
        error = "no image encoder for the format";
        return false;
    }
    bytes.assign(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    return true;
}
