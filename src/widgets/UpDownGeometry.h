#pragma once

// Where the up/down button pair sits on the edit panel that owns it, and the
// room it takes from the text. Kept apart from the widgets so that the
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

// The edit box fills the panel; the pair lies over the right end of it,
// inside its border. The extra right margin the text needs to end one pixel
// before the pair, given the box's frame width (a line edit keeps its frame
// and two pixels on each side of the text).
constexpr int textRightMargin(bool withPair, int frameWidth)
{
    const int margin = PairWidth - frameWidth;
    return withPair && margin > 0 ? margin : 0;
}

}  // namespace UpDownGeometry
