#include "FactoryCalibration.h"

#include <cmath>
#include <numbers>

#include "ByteOrder.h"

namespace vemarsim::FactoryCalibration {

IdentityRecord identity()
{
    IdentityRecord r;
    r.setSerialText("S/NAF0417");
    r.setLaserInputs(2);
    r.setDetectors(4);
    r.setCalibrationKind(2);
    r.setFibreBand(0);
    r.setHardwareCode(3);
    return r;
}

std::unique_ptr<DataCalib2> image()
{
    auto c = std::make_unique<DataCalib2>();
    const int n = c->frequencyPoints();
    const int m = c->shortTableLength();

    c->setBaseValue(10.0);
    for (int d = 0; d < 4; ++d) c->setDetectorWord(d, 3750);
    for (int i = 0; i < m; ++i) {
        c->setTableBValue(i, c->shortAxisStep() * i);
        c->setTableA(i, static_cast<std::uint16_t>(4000 - 25 * i));
        for (int d = 0; d < 4; ++d) c->setDetectorTable(d, i, static_cast<std::uint16_t>(3990 - 26 * i + d));
    }
    std::vector<double> response(static_cast<std::size_t>(n));
    for (int d = 0; d < 4; ++d) {
        for (int i = 0; i < n; ++i)
            response[static_cast<std::size_t>(i)] = 0.05 * d - 0.1 + 0.2 * std::sin(2.0 * std::numbers::pi * i / 211.0);
        c->setResponseValues(d, response);
    }
    for (int i = 0; i < n; ++i) {
        c->setLevelTable1(i, static_cast<std::uint16_t>(2600 - i));
        c->setLevelTable2(i, static_cast<std::uint16_t>(2400 - i / 2));
    }
    for (int t = 0; t < c->frequencyTables(); ++t) {
        c->setReferenceValue(t, 1000.0 + 100.0 * t);
        for (int i = 0; i < n; ++i)
            c->setFrequencyValueGHz(t, i, c->startFrequencyGHz() - c->frequencyStepGHz() * i - 45.0 + 4.0 * t);
    }
    for (int k = 0; k < c->extTableLength(); ++k)
        c->setExtTable(k, static_cast<std::uint16_t>(std::lround(100.0 + 1300.0 * 0.1 * k)));
    c->setScaleValue(0.0823);
    return c;
}

CalibrationStamp stamp() { return CalibrationStamp{{118, 5, 14, 9}}; }

std::vector<std::uint8_t> file()
{
    const IdentityRecord id = identity();
    const auto img = image();
    std::vector<std::uint8_t> bytes(CalibrationFileHeader::size + img->imageSize(), 0);
    std::copy(id.bytes().begin(), id.bytes().end(), bytes.begin());
    for (std::size_t i = 0; i < 4; ++i)
        byteorder::writeU16le(bytes.data() + CalibrationFileHeader::stampOffset + 2 * i, stamp().words[i]);
    byteorder::writeU16le(bytes.data() + CalibrationFileHeader::kindOffset, id.calibrationKind());
    std::copy(img->imageBuffer(), img->imageBuffer() + img->imageSize(), bytes.begin() + CalibrationFileHeader::size);
    return bytes;
}

std::array<std::uint8_t, 28> zoneHeader(std::uint32_t fileBytes)
{
    std::array<std::uint8_t, 28> h{};
    byteorder::writeU16le(h.data(), 2);
    byteorder::writeU16le(h.data() + 2, static_cast<std::uint16_t>((18 << 9) | (6 << 5) | 14));
    byteorder::writeU32le(h.data() + 4, fileBytes);
    const std::string name = calibrationFileName(identity());
    std::copy(name.begin(), name.end(), h.begin() + 8);
    return h;
}

}  // namespace vemarsim::FactoryCalibration
