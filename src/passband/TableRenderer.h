#pragma once

// How a table frame sizes and draws its rows. Toolkit-free: the canvas is
// declared here and defined by the window layer that draws (it wraps that
// toolkit's painter), so the models and their tests need no toolkit.

class Cell;
class TableCanvas;

struct TableRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class TableRenderer {
public:
    virtual int titleRowHeight() const = 0;
    virtual int rowHeight(int row) const = 0;
    virtual void drawTitle(const Cell& cell, TableCanvas& canvas, const TableRect& rect) const = 0;
    virtual void drawCell(const Cell& cell, TableCanvas& canvas, const TableRect& rect, int row) const = 0;

protected:
    ~TableRenderer() = default;
};
