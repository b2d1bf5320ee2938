#pragma once

// The exception of the DSP acknowledgement check and of every flash and
// calibration-file operation: a fixed text naming the class and operation.

#include <stdexcept>
#include <string>

class DspError : public std::runtime_error {
public:
    explicit DspError(const std::string& text) : std::runtime_error(text) {}
};
