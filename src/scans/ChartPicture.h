#pragma once

// Pictures of the transfer-function chart (".bmp", ".png"). The core cannot
// draw: the window's chart (or a headless renderer) installs a ChartPicture,
// and ScanTrace::SaveBitmap / SavePng write what it encodes. Without one
// installed, saving a picture fails with a clear error.

#include <memory>
#include <string>

class ScanTrace;

enum class PictureFormat { Bitmap, Png };

class ChartPicture {
public:
    virtual ~ChartPicture() = default;
    // False when the format has no encoder here; a ".png" then holds a bitmap.
    virtual bool canEncode(PictureFormat format) const = 0;
    // The encoded picture of the chart showing trace (a Windows bitmap or a
    // PNG image) into bytes; false with error set when it cannot be made.
    virtual bool encode(const ScanTrace& trace, PictureFormat format, std::string& bytes,
                        std::string& error) const = 0;
};

namespace ChartPictures {

// Installs the renderer used by every later picture save; null removes it.
void install(std::shared_ptr<const ChartPicture> renderer);
std::shared_ptr<const ChartPicture> installed();

inline constexpr const char* noRendererError = "Can't save the picture: no chart is available to draw it";

}  // namespace ChartPictures
