#pragma once

// The binary calibration image kept in the unit's calibration file: a block
// of little-endian 16-bit words whose fields sit at offsets that depend on
// the number of frequency points of the layout (DataCalib1, DataCalib2).
// Each field is reached through a typed accessor; the decoded-value
// accessors apply the encoding rules of CalibEncoding.

#include <cstddef>
#include <cstdint>
#include <span>

// The parameters that tell the two layouts apart.
struct DataCalibLayout {
    int calibrationKind;
    int frequencyPoints;       // N
    int frequencyTables;       // always 10
    int shortTableLength;      // M
    double shortAxisStep;
    int startWavelengthNm;
    double startFrequencyGHz;
    double frequencyStepGHz;
    double referenceWavelengthNm;
    int extTableLength;

    static constexpr int detectorCount = 4;
    static constexpr int referenceWordCount = 10;
    static constexpr int unusedWordCount = 4;

    // Words of the image: 896 + 16 N for the ten frequency tables.
    constexpr std::size_t imageWords() const
    {
        return static_cast<std::size_t>(5 + 6 * shortTableLength + (6 + frequencyTables) * frequencyPoints +
                                        referenceWordCount + unusedWordCount + extTableLength + 2 +
                                        detectorCount);
    }
    constexpr std::size_t imageBytes() const { return 2 * imageWords(); }
};

class DataCalib {
public:
    virtual ~DataCalib() = default;
    DataCalib(const DataCalib&) = delete;
    DataCalib& operator=(const DataCalib&) = delete;

    virtual std::size_t imageSize() const = 0;  // bytes
    virtual std::uint8_t* imageBuffer() = 0;
    virtual const std::uint8_t* imageBuffer() const = 0;

    // Layout parameters.
    const DataCalibLayout& layout() const { return layout_; }
    int calibrationKind() const { return layout_.calibrationKind; }
    int frequencyPoints() const { return layout_.frequencyPoints; }
    int frequencyTables() const { return layout_.frequencyTables; }
    int shortTableLength() const { return layout_.shortTableLength; }
    double shortAxisStep() const { return layout_.shortAxisStep; }
    int startWavelengthNm() const { return layout_.startWavelengthNm; }
    double startFrequencyGHz() const { return layout_.startFrequencyGHz; }
    double frequencyStepGHz() const { return layout_.frequencyStepGHz; }
    double referenceWavelengthNm() const { return layout_.referenceWavelengthNm; }
    int extTableLength() const { return layout_.extTableLength; }
    std::size_t imageWords() const { return imageSize() / 2; }

    // Word offsets of the fields (for code that walks the image).
    struct FieldOffsets {
        std::size_t base, detectorWords, tableA, tableB, detectorTables, responseTables, levelTable1, levelTable2,
            referenceWords, frequencyTables, unused, extTable, scale, baseOffset, detectorOffsets;
    };
    const FieldOffsets& offsets() const { return offsets_; }

    // Any word of the image by its offset (out of range reads 0, writes nothing).
    std::uint16_t word(std::size_t offset) const;
    void setWord(std::size_t offset, std::uint16_t value);
    void clear();

    // Raw words of every field. Indexes out of range read 0 and write nothing.
    std::uint16_t baseWord() const { return word(offsets_.base); }
    void setBaseWord(std::uint16_t v) { setWord(offsets_.base, v); }
    std::uint16_t scaleWord() const { return word(offsets_.scale); }
    void setScaleWord(std::uint16_t v) { setWord(offsets_.scale, v); }
    std::uint16_t baseOffsetWord() const { return word(offsets_.baseOffset); }
    void setBaseOffsetWord(std::uint16_t v) { setWord(offsets_.baseOffset, v); }

    std::uint16_t detectorWord(int i) const { return word(at(offsets_.detectorWords, i, 4)); }
    void setDetectorWord(int i, std::uint16_t v) { setWord(at(offsets_.detectorWords, i, 4), v); }
    std::uint16_t tableA(int i) const { return word(at(offsets_.tableA, i, M())); }
    void setTableA(int i, std::uint16_t v) { setWord(at(offsets_.tableA, i, M()), v); }
    std::uint16_t tableB(int i) const { return word(at(offsets_.tableB, i, M())); }
    void setTableB(int i, std::uint16_t v) { setWord(at(offsets_.tableB, i, M()), v); }
    std::uint16_t levelTable1(int i) const { return word(at(offsets_.levelTable1, i, N())); }
    void setLevelTable1(int i, std::uint16_t v) { setWord(at(offsets_.levelTable1, i, N()), v); }
    std::uint16_t levelTable2(int i) const { return word(at(offsets_.levelTable2, i, N())); }
    void setLevelTable2(int i, std::uint16_t v) { setWord(at(offsets_.levelTable2, i, N()), v); }
    std::uint16_t referenceWord(int i) const { return word(at(offsets_.referenceWords, i, 10)); }
    void setReferenceWord(int i, std::uint16_t v) { setWord(at(offsets_.referenceWords, i, 10), v); }
    std::uint16_t extTable(int i) const { return word(at(offsets_.extTable, i, layout_.extTableLength)); }
    void setExtTable(int i, std::uint16_t v) { setWord(at(offsets_.extTable, i, layout_.extTableLength), v); }
    std::uint16_t detectorOffsetWord(int i) const { return word(at(offsets_.detectorOffsets, i, 4)); }
    void setDetectorOffsetWord(int i, std::uint16_t v) { setWord(at(offsets_.detectorOffsets, i, 4), v); }
    std::uint16_t unusedWord(int i) const { return word(at(offsets_.unused, i, 4)); }
    void setUnusedWord(int i, std::uint16_t v) { setWord(at(offsets_.unused, i, 4), v); }

    // Tables of rows: detector tables 4 × M, response tables 4 × N, frequency tables 10 × N.
    std::uint16_t detectorTable(int row, int column) const { return word(cell(offsets_.detectorTables, row, 4, column, M())); }
    void setDetectorTable(int row, int column, std::uint16_t v)
    {
        setWord(cell(offsets_.detectorTables, row, 4, column, M()), v);
    }
    std::uint16_t responseTable(int row, int column) const { return word(cell(offsets_.responseTables, row, 4, column, N())); }
    void setResponseTable(int row, int column, std::uint16_t v)
    {
        setWord(cell(offsets_.responseTables, row, 4, column, N()), v);
    }
    std::uint16_t frequencyTable(int row, int column) const
    {
        return word(cell(offsets_.frequencyTables, row, layout_.frequencyTables, column, N()));
    }
    void setFrequencyTable(int row, int column, std::uint16_t v)
    {
        setWord(cell(offsets_.frequencyTables, row, layout_.frequencyTables, column, N()), v);
    }

    // Decoded values (the encoding rules of the calibration file).
    double baseValue() const;
    void setBaseValue(double value);
    double tableBValue(int i) const;
    void setTableBValue(int i, double value);
    void setReferenceValue(int i, double value);
    // The reference frequency of a column of the frequency tables.
    double frequencyReferenceGHz(int column) const;
    double frequencyValueGHz(int row, int column) const;
    void setFrequencyValueGHz(int row, int column, double valueGHz);
    double responseValue(int detector, int column) const;
    // A whole response table at once: its offset word depends on its smallest value.
    void setResponseValues(int detector, std::span<const double> values);
    double scaleValue() const;
    void setScaleValue(double value);

protected:
    // The derived class owns the image; image must stay valid as long as the object.
    DataCalib(const DataCalibLayout& layout, std::uint8_t* image);

private:
    int N() const { return layout_.frequencyPoints; }
    int M() const { return layout_.shortTableLength; }
    static constexpr std::size_t invalid = static_cast<std::size_t>(-1);
    static std::size_t at(std::size_t first, int index, int count)
    {
        return index >= 0 && index < count ? first + static_cast<std::size_t>(index) : invalid;
    }
    static std::size_t cell(std::size_t first, int row, int rows, int column, int columns)
    {
        return row >= 0 && row < rows && column >= 0 && column < columns
                   ? first + static_cast<std::size_t>(row) * columns + static_cast<std::size_t>(column)
                   : invalid;
    }

    DataCalibLayout layout_;
    FieldOffsets offsets_;
    std::uint8_t* image_;
};
