#pragma once

// What the passband engine reads of the scan store: the curves of the trace
// selected for display, by index. The arrays are only read, never kept.

#include <cstddef>
#include <optional>
#include <string>

struct CurveView {
    std::string name;
    std::size_t count = 0;
    const double* wavelengthNm = nullptr;  // ascending
    const double* levelDb = nullptr;
};

class SelectedTraceCurves {
public:
    virtual ~SelectedTraceCurves() = default;
    virtual int curveCount() const = 0;
    // An index may yield no curve; the engine skips it.
    virtual std::optional<CurveView> curve(int index) const = 0;
};
