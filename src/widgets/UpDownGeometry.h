#pragma once

// Where the up/down button pair sits on the edit panel that owns it, and the
// room left to the edit box. Kept apart from the widgets so that the
// arithmetic can be checked for any panel size.

namespace UpDownGeometry {

inline constexpr int PairWidth = 16;

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

// The pair on a panel of the given size: two pixels from the top, one pixel
// from the right edge, the panel's height less one. Each button is
// (height - 2) / 2 high, the down button directly under the up button
// (both in the pair's own coordinates).
struct Pair {
    Box pair;
    Box up;
    Box down;
};

constexpr Pair pairOn(int ownerWidth, int ownerHeight)
{
    Pair p;
    p.pair = {ownerWidth - PairWidth - 1, 2, PairWidth, ownerHeight > 1 ? ownerHeight - 1 : 0};
    const int buttonHeight = p.pair.height > 2 ? (p.pair.height - 2) / 2 : 0;
    p.up = {0, 0, PairWidth, buttonHeight};
    p.down = {0, buttonHeight, PairWidth, buttonHeight};
    return p;
}

// The edit box fills the panel, less the pair and a one-pixel gap before it.
constexpr Box editBoxOn(int ownerWidth, int ownerHeight, bool withPair)
{
    const int width = withPair ? ownerWidth - PairWidth - 2 : ownerWidth;
    return {0, 0, width > 0 ? width : 0, ownerHeight};
}

}  // namespace UpDownGeometry
