#pragma once

// Cells of a table model: what a table frame asks its model for and hands
// to its renderer.

#include <array>
#include <string>

class Cell {
public:
    virtual ~Cell() = default;
    virtual std::string text() const { return {}; }
};

class TitleCell : public Cell {
public:
    explicit TitleCell(std::string text = {}) : text_(std::move(text)) {}
    std::string text() const override { return text_; }

private:
    std::string text_;
};

// One figure of a results row: its minimum, latest and maximum texts and
// whether each is a failure. The table shows the latest; the continuous
// display shows all three.
class CellValues : public Cell {
public:
    enum Which { Min = 0, Current = 1, Max = 2 };

    std::string text() const override { return texts[Current]; }

    std::array<std::string, 3> texts;
    std::array<bool, 3> alarms{false, false, false};
};
