#pragma once

// Channel plans: nominal channel centres at a fixed spacing, in the grid's
// own unit (GHz for the ITU-T frequency grids, nm for CWDM). Channel numbers
// start at 1 on the short-wavelength side. Values are single precision.

#include <cstdint>
#include <vector>

class Grid {
public:
    Grid(int unit, float start, float spacing, std::uint16_t subdivision);
    virtual ~Grid() = default;
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

    // Edges of the grid in nm: half a spacing outside the outer channels.
    virtual float firstWavelength() const = 0;
    virtual float lastWavelength() const = 0;
    // Nominal centre of a channel (1 ... subdivision) in the grid's unit;
    // std::out_of_range otherwise.
    virtual float get(std::uint16_t channel) const;
    // The channel whose centre is nearest to value (in any unit); a value
    // half-way between two centres goes to the one farther from channel 1.
    // std::out_of_range outside the grid's edges.
    virtual std::uint16_t getChannel(float value, int unit) const = 0;

    int unit() const { return unit_; }
    float start() const { return start_; }
    float spacing() const { return spacing_; }
    std::uint16_t subdivision() const { return subdivision_; }
    float lastEdge() const { return lastEdge_; }

protected:
    float lastEdge_ = 0.0f;
    std::vector<float> centres_;
    float start_;
    float spacing_;
    std::uint16_t subdivision_;
    int unit_;
};

// Frequency grid: channel 1 is the highest frequency.
class GridGhz : public Grid {
public:
    GridGhz(float start, float spacing, std::uint16_t count);
    float firstWavelength() const override;
    float lastWavelength() const override;
    std::uint16_t getChannel(float value, int unit) const override;
};

// Wavelength grid: channel 1 is the shortest wavelength.
class GridNm : public Grid {
public:
    GridNm(float start, float spacing, std::uint16_t count);
    float firstWavelength() const override;
    float lastWavelength() const override;
    std::uint16_t getChannel(float value, int unit) const override;
};
