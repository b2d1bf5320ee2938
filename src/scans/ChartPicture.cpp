#include "ChartPicture.h"

#include <mutex>

#include "AtomicFile.h"
#include "Log.h"
#include "ScanTrace.h"

namespace ChartPictures {
namespace {
// Protects g_renderer: installed by the window's thread, used by any saver.
std::mutex g_mutex;
std::shared_ptr<const ChartPicture> g_renderer;
}  // namespace

void install(std::shared_ptr<const ChartPicture> renderer)
{
    std::lock_guard lock(g_mutex);
    g_renderer = std::move(renderer);
}

std::shared_ptr<const ChartPicture> installed()
{
    std::lock_guard lock(g_mutex);
    return g_renderer;
}

}  // namespace ChartPictures

namespace {

bool savePicture(const ScanTrace& trace, const std::string& fileName, PictureFormat format, std::string* error)
{
    auto fail = [&](std::string text) {
        Log::error("%s\n", text.c_str());
        if (error != nullptr) *error = std::move(text);
        return false;
    };
    const std::shared_ptr<const ChartPicture> renderer = ChartPictures::installed();
    if (renderer == nullptr) return fail(ChartPictures::noRendererError);
    if (format == PictureFormat::Png && !renderer->canEncode(PictureFormat::Png)) {
        Log::warn("No PNG encoder: %s holds a bitmap\n", fileName.c_str());
        format = PictureFormat::Bitmap;
    }
    std::string bytes;
    std::string reason;
    if (!renderer->encode(trace, format, bytes, reason)) return fail("Can't draw the chart: " + reason);
    if (!writeFileAtomically(fileName, bytes)) return fail("Can't write " + fileName + ": " + lastWriteFailure());
    return true;
}

}  // namespace

bool ScanTrace::SaveBitmap(const std::string& fileName, std::string* error) const
{
    return savePicture(*this, fileName, PictureFormat::Bitmap, error);
}

bool ScanTrace::SavePng(const std::string& fileName, std::string* error) const
{
    return savePicture(*this, fileName, PictureFormat::Png, error);
}
