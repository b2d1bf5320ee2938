#include "ScanCurve.h"

#include <array>

#include "ScanView.h"

namespace {

// The palette as the Windows colour values (0xBBGGRR) the curves have
// always had: blue, red, dark green, azure, green, purple.
constexpr std::array<std::uint32_t, 6> paletteBgr = {0xFF0000, 0x0000FF, 0x008000, 0xFF7F0F, 0x00FF00, 0x800080};

constexpr std::uint32_t bgrToRgb(std::uint32_t bgr)
{
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

}  // namespace

std::uint32_t curvePaletteColour(int position)
{
    const int size = static_cast<int>(paletteBgr.size());
    const int index = ((position % size) + size) % size;
    return bgrToRgb(paletteBgr[static_cast<std::size_t>(index)]);
}

ScanCurve::ScanCurve(ScanForm* form, ScanChart* chart, std::string name, std::uint32_t colour)
    : form_(form), chart_(chart), colour_(colour), name_(std::move(name))
{
}

ScanCurve::~ScanCurve()
{
    if (chart_ != nullptr) chart_->curveRemoved(*this);
}

void ScanCurve::Redraw() const
{
    if (chart_ != nullptr) chart_->curveChanged(*this);
}
