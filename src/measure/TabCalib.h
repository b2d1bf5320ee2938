#pragma once

// The working form of a unit's calibration file: the tables decoded as
// numbers, and the conversions a measurement needs (converter codes to
// levels, detector responses, EXT volts, acquisition levels, reference-line
// frequencies), plus the operations the maintenance pages use to build the
// reference-line tables and detector responses and write the file back.
//
// Two frequency axes of N points run down from their start in steps of
// 100 GHz: the level axis from F0 (the layout's start frequency) for the
// acquisition level tables, and the response axis from Fr (the frequency of
// the layout's reference wavelength) for the detector responses.
//
// A TabCalib is cheap and made where needed; it is used by one thread at a
// time (its search cursors change as it converts).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "DataCalib.h"
#include "IdentityRecord.h"

class UnitIdentitySource;

class TabCalib {
public:
    static constexpr int detectorCount = 4;

    // Reads the connected unit's identity to choose the layout of its
    // calibration kind.
    TabCalib(std::string calibFolder, UnitIdentitySource& unit);
    // Offline: the layout of the given identity's (or kind's) calibration.
    TabCalib(std::string calibFolder, const IdentityRecord& identity);
    TabCalib(std::string calibFolder, int calibrationKind);
    ~TabCalib();
    TabCalib(const TabCalib&) = delete;
    TabCalib& operator=(const TabCalib&) = delete;

    // Reads "File<serial>.dat" of the identity from the Calib folder and
    // copies the file's identity record into the caller's. 0 on success; 1
    // when the file is missing or fails checkCalibrationFile (the tables are
    // then left as they were and loadProblem() says why).
    int Load(IdentityRecord& identity);
    const std::string& loadProblem() const { return loadProblem_; }
    // Encodes the tables and writes the identity's file, creating the folder
    // when missing. 0 on success, 1 when the file could not be written (the
    // previous file is then untouched).
    int Save(const IdentityRecord& identity);

    int PointCount() const { return n_; }
    int TableCount() const { return t_; }
    int ShortTableLength() const { return m_; }
    int calibrationKind() const { return layout_->calibrationKind(); }
    double LowestReference() const { return referenceValues_.front(); }
    double HighestReference() const { return referenceValues_.back(); }

    // Level of the output monitor for a converter code, dB.
    double OutputLevel(int code);
    // Level of a detector, before its frequency response, dB; cursor is the
    // search hint kept by the caller between samples.
    double DetectorLevel(int detector, int code, int& cursor);
    // Levels of a detector trace corrected by the detector's frequency
    // response; wavelengths (nm) ascending. Converts min(sizes) samples; an
    // unknown detector gives 0 levels.
    void DetectorTrace(int detector, std::span<const std::int32_t> codes, std::span<const double> wavelengths,
                       std::span<double> out);
    // Voltage of the EXT input; outside the table the end segments extend.
    double ExtVolts(int code, int& cursor) const;

    struct Levels {
        std::uint16_t level1 = 0;
        std::uint16_t level2 = 0;
    };
    // The two acquisition levels at a frequency (GHz).
    Levels LevelsAt(double frequencyGHz) const;

    // Reference-line frequencies (GHz, descending) into out, which is resized
    // to the number given: selector < 0 reads the etalon lines of
    // "Etalon.txt" in the Calib folder (at most N; none when the file is
    // missing), 0 gives the response axis, > 0 the line tables interpolated
    // for that reference value. Returns the number of frequencies.
    int ReferenceFrequencies(std::vector<double>& out, int selector);

    // Maintenance.
    // Adds a measured response curve (wavelengths ascending, nm) to the
    // detector's response at every response-axis point.
    void AddResponse(int detector, std::span<const double> wavelengths, std::span<const double> values);
    // A uniform grid through f1 and f2 (GHz) with about 100 GHz spacing in
    // every line table; false (and nothing changed) when f1 and f2 lie too
    // close to set a spacing.
    bool SetUniformGrid(double f1, double f2);
    // Every line table := values (N numbers; missing ones 0).
    void SetLineTables(std::span<const double> values);
    void FillGaps();
    // Copies line table t into out and returns its reference value rounded;
    // 0 and an empty out for an unknown table.
    int LineTable(int table, std::vector<double>& out) const;
    void RoundedReferences(std::vector<int>& out) const;
    // Averages measured line frequencies (descending, GHz) into line table t
    // and the reference into its reference value.
    void AccumulateLines(std::span<const double> frequencies, double reference, int table);
    // For each frequency, the nearest point of the selected line table and
    // the deviation from it (GHz). selector 0 to 10 picks that table (the
    // last one for 10), a larger one the table interpolated for that
    // reference value.
    void LineDeviations(std::span<const double> frequencies, std::vector<double>& deviations, int selector,
                        std::vector<int>& indexes);
    void ScaleLineTables(double factor);

    // Fields.
    const std::string& calibFolder() const { return calibFolder_; }
    double base() const { return base_; }
    void setBase(double base) { base_ = base; }
    double scale() const { return scale_; }
    void setScale(double scale) { scale_ = scale; }
    double levelStep() const { return levelStep_; }
    double startFrequency() const { return startFrequency_; }
    std::span<std::int32_t> detectorWords() { return detectorWord_; }
    std::span<std::int32_t> outputCodes() { return outputCodes_; }
    std::span<std::int32_t> detectorCodes(int detector);
    std::span<const std::int32_t> detectorCodes(int detector) const;
    std::span<double> response(int detector);
    std::span<const double> response(int detector) const;
    std::span<double> lineTable(int table);
    std::span<const double> lineTable(int table) const;
    std::span<double> referenceValues() { return referenceValues_; }
    std::span<double> levelAxis() { return levelAxis_; }
    std::span<std::uint16_t> lineCounts(int table);
    std::span<const std::uint16_t> lineCounts(int table) const;
    std::span<std::uint16_t> tableCounts() { return tableCounts_; }
    // Raw tables of the image: the two acquisition level tables on the level
    // axis and the EXT converter codes of 0.0, 0.1 ... 3.0 V (ascending).
    std::span<std::uint16_t> levelTable1() { return levelTable1_; }
    std::span<std::uint16_t> levelTable2() { return levelTable2_; }
    std::span<std::uint16_t> extTable() { return extTable_; }
    int referenceCursor() const { return referenceCursor_; }
    int outputCursor() const { return outputCursor_; }
    // The binary image as last loaded or saved.
    const DataCalib& layout() const { return *layout_; }

    // Frequencies (GHz) of point i of the two axes.
    double levelAxisFrequency(int i) const { return startFrequency_ - frequencyStep_ * i; }
    double responseAxisFrequency(int i) const { return responseStart_ - frequencyStep_ * i; }

private:
    void decodeLayout();
    void encodeLayout();
    double levelOn(std::span<const std::int32_t> codes, int code, int& cursor) const;
    std::span<const double> selectedLineTable(int selector, std::vector<double>& interpolated);
    void interpolatedLineTable(int selector, std::vector<double>& out);
    bool tableMeasured(int table) const;

    std::string calibFolder_;
    int m_ = 0;
    int t_ = 0;
    int n_ = 0;
    double base_ = 0.0;
    std::vector<std::int32_t> detectorWord_;
    std::vector<std::int32_t> outputCodes_;
    std::vector<std::int32_t> detectorCodes_;  // detector-major, detectorCount x M
    std::vector<double> response_;             // detector-major, detectorCount x N
    std::vector<double> lineTables_;           // table-major, T x N
    std::vector<double> referenceValues_;
    std::vector<double> levelAxis_;
    double scale_ = 0.0;
    double levelStep_ = 0.0;
    double startFrequency_ = 0.0;
    int referenceCursor_ = 0;
    int outputCursor_ = 0;
    std::vector<std::uint16_t> lineCounts_;  // table-major, T x N
    std::vector<std::uint16_t> tableCounts_;
    std::unique_ptr<DataCalib> layout_;
    std::vector<std::uint16_t> levelTable1_;
    std::vector<std::uint16_t> levelTable2_;
    std::vector<std::uint16_t> extTable_;
    double frequencyStep_ = 100.0;
    double responseStart_ = 0.0;
    std::string loadProblem_;
};
