#pragma once

// The results table of a single measurement: one line per row, the latest
// figure of each column, red when it fails its limit.

#include "TableRendering.h"

class Passband_TableRenderer : public TTableRenderer {
public:
    static constexpr int titleHeight = 100;
    static constexpr int dataRowHeight = 25;

    int titleRowHeight() const override { return titleHeight; }
    int rowHeight(int) const override { return dataRowHeight; }
    void drawTitle(const Cell& cell, TableCanvas& canvas, const TableRect& rect) const override;
    void drawCell(const Cell& cell, TableCanvas& canvas, const TableRect& rect, int row) const override;
};
