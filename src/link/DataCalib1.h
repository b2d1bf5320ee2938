#pragma once

// Calibration image of kind 1: 590 frequency points from 1248 nm, 20672 bytes.

#include <array>

#include "DataCalib.h"

class DataCalib1 final : public DataCalib {
public:
    static constexpr DataCalibLayout layoutParameters{
        1, 590, 10, 140, 0.5, 1250, 299792458.0 / 1248.0, 100.0, 1246.45, 31};
    static constexpr std::size_t imageBytes = layoutParameters.imageBytes();
    static_assert(imageBytes == 20672);

    DataCalib1() : DataCalib(layoutParameters, image_.data()) {}

    std::size_t imageSize() const override { return imageBytes; }
    std::uint8_t* imageBuffer() override { return image_.data(); }
    const std::uint8_t* imageBuffer() const override { return image_.data(); }

private:
    std::array<std::uint8_t, imageBytes> image_{};
};
