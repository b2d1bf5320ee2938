#include "Grid.h"

#include <cmath>
#include <stdexcept>

#include "Units.h"

Grid::Grid(int unit, float start, float spacing, std::uint16_t subdivision)
    : start_(start), spacing_(spacing), subdivision_(subdivision), unit_(unit)
{
}

float Grid::get(std::uint16_t channel) const
{
    if (channel < 1 || channel > subdivision_) throw std::out_of_range("Grid::get channel number out of range");
    return centres_[channel - 1u];
}

namespace {

// Nearest centre; the + 1.5 and the truncation send a half-way value to the
// channel farther from channel 1.
std::uint16_t nearestChannel(float value, float start, float spacing)
{
    return static_cast<std::uint16_t>(std::fabs(value - start) / spacing + 1.5f);
}

}  // namespace

GridGhz::GridGhz(float start, float spacing, std::uint16_t count) : Grid(Unit::GHz, start, spacing, count)
{
    centres_.reserve(count);
    for (int i = 0; i < count; ++i) centres_.push_back(start - static_cast<float>(i) * spacing);
    lastEdge_ = start - static_cast<float>(count - 1) * spacing - spacing * 0.5f;
}

float GridGhz::firstWavelength() const
{
    return static_cast<float>(convertUnit(start_ + spacing_ * 0.5f, Unit::GHz, Unit::Nm));
}

float GridGhz::lastWavelength() const
{
    return static_cast<float>(convertUnit(lastEdge_, Unit::GHz, Unit::Nm));
}

std::uint16_t GridGhz::getChannel(float value, int unit) const
{
    const float f = static_cast<float>(convertUnit(value, unit, Unit::GHz));
    // Written so that a value that is not a number is out of range too.
    if (!(f >= lastEdge_ && f <= start_ + spacing_ * 0.5f))
        throw std::out_of_range("GridGhz::getChannel wavelength value out of range");
    return nearestChannel(f, start_, spacing_);
}

GridNm::GridNm(float start, float spacing, std::uint16_t count) : Grid(Unit::Nm, start, spacing, count)
{
    centres_.reserve(count);
    for (int i = 0; i < count; ++i) centres_.push_back(start + static_cast<float>(i) * spacing);
    lastEdge_ = start + static_cast<float>(count - 1) * spacing + spacing * 0.5f;
}

float GridNm::firstWavelength() const { return start_ - spacing_ * 0.5f; }

float GridNm::lastWavelength() const { return lastEdge_; }

std::uint16_t GridNm::getChannel(float value, int unit) const
{
    const float w = static_cast<float>(convertUnit(value, unit, Unit::Nm));
    if (!(firstWavelength() <= w && w <= lastWavelength())) throw std::out_of_range("");
    return nearestChannel(w, start_, spacing_);
}
