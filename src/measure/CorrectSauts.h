#pragma once

// Wavelength referencing of one sweep: the DSP reports, in base acquisition
// periods, where the reference channel crossed the known reference lines
// (two marks per line), where the sweep jumped (transitions; transition q
// ends the samples of source q when several sources are chained) and one
// reference-signal value per sample. This pairs the measured lines with the
// known line frequencies, fits frequency against position for each source
// segment, finds the laser's mode hops as line spacings that disagree with
// the fit, takes each hop out of the position scale, fits again and gives
// every sample, transition and hop its frequency (GHz).

#include <cstdint>
#include <string>
#include <vector>

class UnitIdentitySource;

struct CorrectSautsIn {
    std::int32_t markCount = 0;        // marks (two per detected line)
    std::int32_t sampleCount = 0;
    std::int32_t samplingStep = 1;     // base periods per sample
    std::int32_t transitionCount = 0;
    std::vector<double> transitions;   // jump positions, corrected in place by the hop correction
    double startFrequency = 0.0;       // GHz, start of the sweep's first source
    double stopFrequency = 0.0;        // GHz, stop of the sweep's last source
    double startShift = 0.0;           // GHz, start alignment shift
    std::int32_t referenceLineCount = 0;
    std::vector<double> referenceLines;  // known line frequencies, GHz, descending
    std::vector<double> marks;         // marks 2i and 2i + 1 bound line i
    std::vector<double> referenceSignal;  // one value per sample
    std::int32_t flagD = 0;
    std::int32_t firstSource = 0;
    std::int32_t endSource = 0;        // one past the sweep's last source
    std::int16_t statusBit1 = 0;       // bit 1 of the DSP status word read with the sweep
    std::int16_t flagB = 0;            // sample positions at the centre of each sampling window
    bool trigger = false;              // external trigger mode
};

struct CorrectSautsOut {
    static constexpr int maxHops = 1000;

    std::vector<double> sampleFrequencies;      // GHz, one per sample
    std::vector<double> transitionFrequencies;  // GHz, one per transition (0 until assigned)
    std::int32_t hopCount = 0;                  // hops recorded below
    std::vector<double> hopFrequencies;         // GHz, at each hop
    std::vector<double> hopSizes;               // GHz, signed
    // More than maxHops hops were found: every one was corrected, only the
    // first maxHops are recorded.
    bool hopsTruncated = false;
    double slope = 0.0;                         // GHz per base period of the last segment's fit
};

enum class HopCorrection {
    Accumulated,  // hops kept as accumulated position offsets (the fast path)
    Plain,        // every hop lowers every later position at once (the reference form)
};

// Result codes: 0, or this one when the sweep cannot be referenced (no
// reference line at or below the start, pairing before the first reference
// line, a segment whose fit has no solution, inconsistent counts).
inline constexpr int correctSautsFailed = 3;

// calibrationKind is that of the connected unit (kind-1 units never see
// hops above 222000 GHz).
int CorrectSauts(CorrectSautsIn& input, CorrectSautsOut& output, int calibrationKind,
                 HopCorrection method = HopCorrection::Accumulated);

// Learns the calibration kind from the connected unit's identity.
int CorrectSauts(CorrectSautsIn& input, CorrectSautsOut& output, const std::string& calibFolder,
                 UnitIdentitySource& unit);
