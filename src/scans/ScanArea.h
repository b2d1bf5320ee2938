#pragma once

// The chart regions no source of a trace covered: hatched rectangles over
// the full height of the chart, shown while the trace is selected.

#include <cstdint>
#include <vector>

class ScanChart;

struct CoverageShape {
    double x0 = 0.0;  // left edge in axis units (nm, or THz in frequency display)
    double x1 = 0.0;  // right edge
    static constexpr double y0 = -100.0;
    static constexpr double y1 = 100.0;
};

class ScanArea {
public:
    explicit ScanArea(ScanChart* chart) : chart_(chart) {}
    ~ScanArea();
    ScanArea(const ScanArea&) = delete;
    ScanArea& operator=(const ScanArea&) = delete;

    void Clear() { shapes_.clear(); }
    void Add(double x0, double x1) { shapes_.push_back({x0, x1}); }
    // True when x lies inside a shape, edges included.
    bool Contains(double x) const;

    const std::vector<CoverageShape>& shapes() const { return shapes_; }
    bool visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }

    // The shapes have no border and a diagonal hatch in this colour (0xRRGGBB).
    static std::uint32_t hatchColour(std::uint32_t background) { return 0xFFFFFFu - (background & 0xFFFFFFu); }

private:
    ScanChart* chart_;
    std::vector<CoverageShape> shapes_;
    bool visible_ = false;
};
