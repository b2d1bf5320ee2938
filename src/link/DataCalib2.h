#pragma once

// Calibration image of kind 2: 638 frequency points from 1238 nm, 22208 bytes.

#include <array>

#include "DataCalib.h"

class DataCalib2 final : public DataCalib {
public:
    static constexpr DataCalibLayout layoutParameters{
        2, 638, 10, 140, 0.5, 1240, 299792458.0 / 1238.0, 100.0, 1236.45, 31};
    static constexpr std::size_t imageBytes = layoutParameters.imageBytes();
    static_assert(imageBytes == 22208);

    DataCalib2() : DataCalib(layoutParameters, image_.data()) {}

    std::size_t imageSize() const override { return imageBytes; }
    std::uint8_t* imageBuffer() override { return image_.data(); }
    const std::uint8_t* imageBuffer() const override { return image_.data(); }

private:
    std::array<std::uint8_t, imageBytes> image_{};
};
