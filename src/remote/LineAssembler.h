#pragma once

// Cuts a client's byte stream into command lines at "\n" (a "\r" before it
// is dropped). A line longer than maxLineBytes is not kept: its bytes are
// dropped up to its end, and it comes out as one overlong line, so that the
// client hears of it once and its next line is read as usual. Pure.

#include <cstddef>
#include <deque>
#include <string>

class LineAssembler {
public:
    static constexpr std::size_t maxLineBytes = 64 * 1024;

    struct Line {
        std::string text;
        bool overlong = false;
    };

    void append(const char* data, std::size_t size);
    // The oldest complete line; false when none is complete.
    bool next(Line& line);
    // At the end of the stream: what was left without a line end, as a last line.
    bool finish(Line& line);
    // The bytes held: complete lines not taken and the line under way.
    std::size_t heldBytes() const { return heldBytes_ + partial_.size(); }

private:
    void complete();

    std::deque<Line> lines_;
    std::string partial_;
    std::size_t heldBytes_ = 0;
    bool discarding_ = false;
};
