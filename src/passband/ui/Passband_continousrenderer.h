#pragma once

// The results table of a continuous measurement: each cell shows the
// minimum, the latest and the maximum of its figure on three lines, each
// red when it fails its limit, so that the drift over the series shows.

#include "TableRendering.h"

class Passband_ContinousRenderer : public TTableRenderer {
public:
    static constexpr int titleHeight = 100;
    static constexpr int dataRowHeight = 80;
    // Tops of the minimum, latest and maximum lines below the cell's top.
    static constexpr int lineTops[3] = {16, 32, 48};

    int titleRowHeight() const override { return titleHeight; }
    int rowHeight(int) const override { return dataRowHeight; }
    void drawTitle(const Cell& cell, TableCanvas& canvas, const TableRect& rect) const override;
    void drawCell(const Cell& cell, TableCanvas& canvas, const TableRect& rect, int row) const override;
    // Minimum, latest and maximum.
    std::vector<std::string> cellLines(const Cell& cell) const override;
};
