#pragma once

// The rules of the source rows, kept free of any toolkit so that each can be
// checked on its own: which sources end up enabled when one box is clicked,
// the minimum 5 nm between a source's low and high wavelength, the
// wavelength limits of the instrument's fibre band, and which controls of a
// row can be used.

#include <array>

namespace SourceEditorRules {

inline constexpr int rowCount = 4;
// A source's low and high wavelengths are never closer than this.
inline constexpr double minimumRangeNm = 5.0;

// The enable boxes after box `row` was set to `checked`: the first source
// cannot be disabled, checking a source checks every source before it and
// unchecking one unchecks every source after it, so that the enabled
// sources always form an unbroken run starting at the first.
std::array<bool, rowCount> enableChain(const std::array<bool, rowCount>& boxes, int row, bool checked);

struct WavelengthLimits {
    double min;  // nm
    double max;  // nm
    bool operator==(const WavelengthLimits&) const = default;
};

// The limits of both wavelength edits for the fibre band code of the
// instrument's identity: 1 (PM13) 1260 to 1360 nm, 2 (PM15) 1440 to
// 1640 nm, anything else (standard fibre, or no instrument) 1240 to 1680 nm.
WavelengthLimits wavelengthLimits(int fibreBand);

// Which hint a correction of the range shows.
enum class RangeHint {
    None,
    HighUpdated,  // the high wavelength was moved to low + 5 nm
    LowUpdated,   // the low wavelength was moved to high - 5 nm
};

struct SourceRange {
    double low;   // nm
    double high;  // nm
    RangeHint hint;
};

// The user set the low wavelength: when it comes within 5 nm of the high
// one (from either side), high becomes low + 5 nm; when the high edit
// cannot take that value it stops at its limit and low becomes that limit
// - 5 nm instead, without a hint. Values 5 nm apart or more stay as they are.
SourceRange lowWavelengthChanged(double low, double high, WavelengthLimits limits);
// The same the other way round: low becomes high - 5 nm, or, at the low
// edit's limit, high becomes that limit + 5 nm.
SourceRange highWavelengthChanged(double low, double high, WavelengthLimits limits);

// A source's range as edits with these limits show it: each end kept inside
// the limits; when that brings the ends within 5 nm of each other (and they
// were not before), the high end is moved as if the low one had been
// entered, so that a source's range never collapses to nothing. The hint is
// always None.
SourceRange rangeWithinLimits(double low, double high, WavelengthLimits limits);

// What can be used in a row: `available` is the panel's and the row's own
// enabling (the main window turns off the rows of laser inputs the unit
// lacks), `sourceEnabled` the record's enable flag.
struct RowControls {
    bool checkBox;  // the enable box
    bool fields;    // address, wavelengths, type and speed lists
    bool edit;      // the command dialog's button: the generic source only
    bool operator==(const RowControls&) const = default;
};
RowControls rowControls(bool available, bool sourceEnabled, int type);

}  // namespace SourceEditorRules
