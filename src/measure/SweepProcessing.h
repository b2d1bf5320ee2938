#pragma once

// What becomes of one sweep once the DSP has handed it back: the input of
// its wavelength referencing, the trace data of the partial result (lines,
// wavelengths, sample indexes, mode hops, present channels), the figures
// its warnings are judged on, the levels of every channel, and the line it
// adds to "ValeursWL.txt". Plain functions over the arrays read back, so
// that each step can be checked apart from the DSP exchanges that
// ControlSnS sequences.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "CorrectSauts.h"
#include "ScanMaths.h"
#include "ScanParameterBlock.h"

class ScanRes;
class TabCalib;

namespace SweepProcessing {

// One sweep as read back (normalised codes), viewed in the arrays that hold it.
struct Readback {
    std::span<const double> transitions;             // merged jump positions, base periods
    std::span<const std::int32_t> extraTransitions;  // extra jumps of acquisition modes 2 and 3
    std::span<const double> marks;                   // mark positions, base periods
    std::span<const double> referenceSignal;         // one value per sample
    std::span<const std::int32_t> outputCodes;       // one per sample: the sweep's length
    std::array<std::span<const std::int32_t>, 4> detectorCodes;  // empty when not read
    std::span<const std::int32_t> extCodes;                      // empty when not read
    std::int32_t statusBit1 = 0;

    std::size_t sampleCount() const { return outputCodes.size(); }
    // Marks and a reference signal for every sample: what referencing needs.
    bool referencable() const { return marks.size() >= 6 && referenceSignal.size() == outputCodes.size(); }
};

// The referencing input of the sweep of sources partial.firstSource to
// partial.endSource - 1 over partial.scanStart to partial.scanStop:
// the transitions followed by the extra ones, and the start shift (GHz) of
// the sweep's first source, the one its start was aligned with.
CorrectSautsIn referencingInput(const Readback& sweep, const ScanParameterBlock& block, const ScanRes& partial,
                                double startShiftGHz, std::vector<double> referenceLines);

// Fills the partial's trace data from the referencing's output: a line per
// reported transition (the extra ones are not kept), every sample's
// wavelength and index, the mode hops (wavelength, signed size in GHz) and
// which channels the block measured. Returns the largest hop's magnitude (GHz).
double fillTraceData(const CorrectSautsOut& referenced, std::size_t transitionCount, std::size_t sampleCount,
                     const ScanParameterBlock& block, ScanRes& partial);

// Frequencies (GHz) of the extra transitions: those after the reported ones.
std::vector<double> extraTransitionFrequencies(const CorrectSautsOut& referenced, std::size_t transitionCount);

// A converter code above this anywhere in a channel saturates it.
inline constexpr std::int32_t saturationCode = 4050;
bool saturated(std::span<const std::int32_t> codes);

// Every channel's levels into the partial (whose wavelengths are filled):
// the output monitor in dBm; each measured detector through its response;
// EXT in volts, or as an optical power when the block says so. Channels the
// block did not measure (or whose codes fall short) are left empty.
void convertLevels(const Readback& sweep, const ScanParameterBlock& block, const ScanMaths::BncCorrection& bnc,
                   TabCalib& calib, ScanRes& partial);

// What the sweep's warning is judged on, the partial's levels converted.
ScanMaths::SweepFigures sweepFigures(const Readback& sweep, const ScanRes& partial, int hopCount, double largestHopGHz,
                                     double meanVelocity);

// The line a processed sweep of acquisition modes 2 and 3 adds to
// "ValeursWL.txt": the level-9 reading, the hops, the marks and the extra
// transitions, then every extra transition's frequency, then " \n".
std::string valeursWLLine(std::uint16_t level9, int hopCount, std::size_t markCount, std::size_t extraCount,
                          std::span<const double> extraFrequencies);

}  // namespace SweepProcessing
