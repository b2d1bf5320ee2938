#include "DataCalib.h"

#include <algorithm>

#include "ByteOrder.h"
#include "CalibEncoding.h"

DataCalib::DataCalib(const DataCalibLayout& layout, std::uint8_t* image) : layout_(layout), image_(image)
{
    const std::size_t n = layout.frequencyPoints;
    const std::size_t m = layout.shortTableLength;
    FieldOffsets& o = offsets_;
    o.base = 0;
    o.detectorWords = 1;
    o.tableA = 5;
    o.tableB = o.tableA + m;
    o.detectorTables = o.tableB + m;
    o.responseTables = o.detectorTables + 4 * m;
    o.levelTable1 = o.responseTables + 4 * n;
    o.levelTable2 = o.levelTable1 + n;
    o.referenceWords = o.levelTable2 + n;
    o.frequencyTables = o.referenceWords + DataCalibLayout::referenceWordCount;
    o.unused = o.frequencyTables + static_cast<std::size_t>(layout.frequencyTables) * n;
    o.extTable = o.unused + DataCalibLayout::unusedWordCount;
    o.scale = o.extTable + static_cast<std::size_t>(layout.extTableLength);
    o.baseOffset = o.scale + 1;
    o.detectorOffsets = o.baseOffset + 1;
}

std::uint16_t DataCalib::word(std::size_t offset) const
{
    return offset < layout_.imageWords() ? byteorder::readU16le(image_ + 2 * offset) : 0;
}

void DataCalib::setWord(std::size_t offset, std::uint16_t value)
{
    if (offset < layout_.imageWords()) byteorder::writeU16le(image_ + 2 * offset, value);
}

void DataCalib::clear() { std::fill_n(image_, layout_.imageBytes(), 0); }

double DataCalib::baseValue() const { return CalibEncoding::decodeBase(baseWord(), baseOffsetWord()); }

void DataCalib::setBaseValue(double value)
{
    const auto w = CalibEncoding::encodeBase(value);
    setBaseWord(w.word);
    setBaseOffsetWord(w.offsetWord);
}

double DataCalib::tableBValue(int i) const { return CalibEncoding::decodeTableB(tableB(i)); }

void DataCalib::setTableBValue(int i, double value) { setTableB(i, CalibEncoding::encodeTableB(value)); }

void DataCalib::setReferenceValue(int i, double value) { setReferenceWord(i, CalibEncoding::encodeReference(value)); }

double DataCalib::frequencyReferenceGHz(int column) const
{
    return CalibEncoding::frequencyReferenceGHz(layout_.startFrequencyGHz, layout_.frequencyStepGHz, column);
}

double DataCalib::frequencyValueGHz(int row, int column) const
{
    return CalibEncoding::decodeFrequency(frequencyTable(row, column), frequencyReferenceGHz(column));
}

void DataCalib::setFrequencyValueGHz(int row, int column, double valueGHz)
{
    setFrequencyTable(row, column, CalibEncoding::encodeFrequency(valueGHz, frequencyReferenceGHz(column)));
}

double DataCalib::responseValue(int detector, int column) const
{
    return CalibEncoding::decodeResponse(responseTable(detector, column), detectorOffsetWord(detector));
}

void DataCalib::setResponseValues(int detector, std::span<const double> values)
{
    if (detector < 0 || detector >= DataCalibLayout::detectorCount) return;
    const std::uint16_t offset = CalibEncoding::responseOffsetWord(values);
    setDetectorOffsetWord(detector, offset);
    const int count = std::min(static_cast<int>(values.size()), N());
    for (int i = 0; i < count; ++i) setResponseTable(detector, i, CalibEncoding::encodeResponse(values[i], offset));
}

double DataCalib::scaleValue() const { return CalibEncoding::decodeScale(scaleWord()); }

void DataCalib::setScaleValue(double value) { setScaleWord(CalibEncoding::encodeScale(value)); }
