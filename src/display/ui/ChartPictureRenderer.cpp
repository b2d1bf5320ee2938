#include "ChartPictureRenderer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QThread>

#include "ChartAxes.h"
#include "TransfertChart.h"

namespace {

bool canEncodeFormat(PictureFormat format)
{
    return QImageWriter::supportedImageFormats().contains(format == PictureFormat::Png ? "png" : "bmp");
}

bool onApplicationThread(std::string& error)
{
    if (QCoreApplication::instance() != nullptr && QThread::currentThread() == QCoreApplication::instance()->thread())
        return true;
    error = "the chart can only be drawn on the application's thread";
    return false;
}

bool encodeImage(const QImage& image, PictureFormat format, std::string& bytes, std::string& error)
{
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

}  // namespace

ChartPictureRenderer::ChartPictureRenderer(int widthPixels, int heightPixels, bool extOnVoltAxis)
    : width_(widthPixels), height_(heightPixels), extOnVoltAxis_(extOnVoltAxis)
{
}

bool ChartPictureRenderer::canEncode(PictureFormat format) const { return canEncodeFormat(format); }

bool ChartPictureRenderer::encode(const ScanTrace& trace, PictureFormat format, std::string& bytes,
                                  std::string& error) const
{
    if (!onApplicationThread(error)) return false;
    TransfertChart chart;
    chart.resize(width_, height_);
    chart.setExtOnVoltAxis(extOnVoltAxis_);
    const AxisRange range = pictureScanRange(trace);
    chart.setScanRange(range.minimum, range.maximum);
    chart.resetAxes();
    chart.showTrace(trace);
    const QImage image = chart.renderPicture(width_, height_);
    chart.clearSeries();
    return encodeImage(image, format, bytes, error);
}

bool TransfertChartPicture::canEncode(PictureFormat format) const { return canEncodeFormat(format); }

bool TransfertChartPicture::encode(const ScanTrace&, PictureFormat format, std::string& bytes,
                                   std::string& error) const
{
    if (!onApplicationThread(error)) return false;
    // A chart never laid out (its page not shown yet) has no size of its
    // own: it is drawn at the size of the pictures without a window.
    constexpr int smallest = 100;
    const bool sized = chart_.width() >= smallest && chart_.height() >= smallest;
    return encodeImage(sized ? chart_.renderPicture() : chart_.renderPicture(1200, 700), format, bytes, error);
}
