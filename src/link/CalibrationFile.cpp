#include "CalibrationFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "AtomicFile.h"
#include "ByteOrder.h"
#include "CalibEncoding.h"
#include "DataCalibFactory.h"
#include "Log.h"
#include "NumberFormat.h"
#include "RegularFile.h"

namespace {

void decodeHeader(const std::uint8_t* bytes, CalibrationFileHeader& header)
{
    header.identity = IdentityRecord::fromBytes({bytes, IdentityRecord::size});
    for (std::size_t i = 0; i < header.stamp.words.size(); ++i)
        header.stamp.words[i] = byteorder::readU16le(bytes + CalibrationFileHeader::stampOffset + 2 * i);
    header.calibrationKind = byteorder::readU16le(bytes + CalibrationFileHeader::kindOffset);
}

// Reads the header; false (with the status set) when the file cannot be
// opened or ends inside it.
bool readHeader(std::FILE* f, CalibrationFileReadResult& result)
{
    std::uint8_t bytes[CalibrationFileHeader::size] = {};
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, f);
    decodeHeader(bytes, result.header);
    result.status = got == sizeof bytes ? CalibrationFileStatus::Complete : CalibrationFileStatus::Truncated;
    return got == sizeof bytes;
}

}  // namespace

CalibrationStamp CalibrationStamp::fromLocalTime(std::time_t time)
{
    std::tm local{};
    ::localtime_r(&time, &local);
    CalibrationStamp s;
    s.words = {static_cast<std::uint16_t>(local.tm_year), static_cast<std::uint16_t>(local.tm_mon),
               static_cast<std::uint16_t>(local.tm_mday), static_cast<std::uint16_t>(local.tm_hour)};
    return s;
}

namespace {

FileHandle openCalibrationFile(const std::string& path, CalibrationFileReadResult& result)
{
    FileHandle f = openRegularFile(path, &result.openProblem, &result.fileBytes, &result.openError);
    if (!f)
        result.status = result.openError != 0 ? CalibrationFileStatus::CannotOpen : CalibrationFileStatus::NotRegular;
    return f;
}

}  // namespace

CalibrationFileReadResult readCalibrationFileHeader(const std::string& path)
{
    CalibrationFileReadResult result;
    FileHandle f = openCalibrationFile(path, result);
    if (!f) return result;
    readHeader(f.get(), result);
    return result;
}

CalibrationFileReadResult readCalibrationFile(const std::string& path, DataCalib& image)
{
    CalibrationFileReadResult result;
    FileHandle f = openCalibrationFile(path, result);
    if (!f) return result;  // the image keeps what it held
    image.clear();
    if (!readHeader(f.get(), result)) {
        Log::warn("Calibration file %s ends inside its header\n", path.c_str());
        return result;
    }
    const std::uint64_t full = CalibrationFileHeader::size + image.imageSize();
    const std::uint64_t older = full - 2 * shortFormMissingWords;
    if (result.fileBytes != full && result.fileBytes != older) {
        result.status = CalibrationFileStatus::WrongSize;
        Log::warn("Calibration file %s has %llu bytes: not a calibration file of kind %d\n", path.c_str(),
                  static_cast<unsigned long long>(result.fileBytes), image.calibrationKind());
        return result;
    }
    const std::size_t wanted = static_cast<std::size_t>(result.fileBytes - CalibrationFileHeader::size);
    const std::size_t got = std::fread(image.imageBuffer(), 1, wanted, f.get());
    result.imageBytesRead = got;
    if (got != wanted) {
        // Shorter than it said a moment ago: changed while being read.
        image.clear();
        result.status = CalibrationFileStatus::WrongSize;
        return result;
    }
    if (wanted < image.imageSize()) {
        // The older form has neither scale nor offset words.
        result.status = CalibrationFileStatus::ShortForm;
        image.setScaleValue(CalibEncoding::shortFormScale);
        image.setBaseOffsetWord(0);
        for (int d = 0; d < DataCalibLayout::detectorCount; ++d) image.setDetectorOffsetWord(d, 0);
    }
    return result;
}

namespace {

// The first index where a table goes the wrong way, or -1.
template <typename Value>
int firstRise(int count, Value&& value)
{
    for (int i = 1; i < count; ++i)
        if (value(i) > value(i - 1)) return i;
    return -1;
}

template <typename Value>
int firstFall(int count, Value&& value)
{
    for (int i = 1; i < count; ++i)
        if (value(i) < value(i - 1)) return i;
    return -1;
}

template <typename Value>
int firstAbove(int count, int largest, Value&& value)
{
    for (int i = 0; i < count; ++i)
        if (value(i) > largest) return i;
    return -1;
}

}  // namespace

std::string calibrationTablesProblem(const DataCalib& image, int detectors, bool shortForm)
{
    const int m = image.shortTableLength();
    const int n = image.frequencyPoints();
    const int code = largestConverterCode;
    auto codeText = [](const char* table, int index, int value) {
        return cformat("%s holds %d at point %d, above the converter's largest code %d", table, value, index,
                       largestConverterCode);
    };

    auto tableA = [&image](int i) { return static_cast<int>(image.tableA(i)); };
    if (const int i = firstAbove(m, code, tableA); i >= 0) return codeText("table A (output monitor codes)", i, tableA(i));
    if (const int i = firstRise(m, tableA); i >= 0)
        return cformat("table A (output monitor codes) rises at point %d (%d after %d)", i, tableA(i), tableA(i - 1));
    if (m > 1 && !(tableA(m - 1) < tableA(0)))
        return cformat("table A (output monitor codes) is flat at %d: no level can be told from another", tableA(0));

    auto axis = [&image](int i) { return image.tableBValue(i); };
    if (const int i = firstFall(m, axis); i >= 0)
        return cformat("the level axis (table B) falls at point %d (%.3f dB after %.3f dB)", i, axis(i), axis(i - 1));
    if (m > 1 && !(axis(m - 1) > axis(0)))
        return cformat("the level axis (table B) is flat at %.3f dB", axis(0));

    for (int d = 0; d < DataCalibLayout::detectorCount; ++d) {
        const int word = image.detectorWord(d);
        if (word > code)
            return cformat("detector word %d is %d, above the converter's largest code %d", d + 1, word, code);
        if (d >= detectors) continue;  // a detector the unit does not have
        auto table = [&image, d](int i) { return static_cast<int>(image.detectorTable(d, i)); };
        const std::string name = cformat("the table of detector %d", d + 1);
        if (const int i = firstAbove(m, code, table); i >= 0) return codeText(name.c_str(), i, table(i));
        if (const int i = firstRise(m, table); i >= 0)
            return cformat("%s rises at point %d (%d after %d)", name.c_str(), i, table(i), table(i - 1));
    }

    auto level1 = [&image](int i) { return static_cast<int>(image.levelTable1(i)); };
    auto level2 = [&image](int i) { return static_cast<int>(image.levelTable2(i)); };
    if (const int i = firstAbove(n, code, level1); i >= 0) return codeText("level table 1", i, level1(i));
    if (const int i = firstAbove(n, code, level2); i >= 0) return codeText("level table 2", i, level2(i));

    auto ext = [&image](int i) { return static_cast<int>(image.extTable(i)); };
    const int extLength = image.extTableLength();
    if (const int i = firstAbove(extLength, code, ext); i >= 0) return codeText("the EXT table", i, ext(i));
    if (const int i = firstFall(extLength, ext); i >= 0)
        return cformat("the EXT table falls at %.1f V (%d after %d)", 0.1 * i, ext(i), ext(i - 1));

    const int tables = image.frequencyTables();
    auto reference = [&image](int t) { return static_cast<int>(image.referenceWord(t)); };
    if (const int t = firstFall(tables, reference); t >= 0)
        return cformat("the reference values fall at table %d (%d after %d)", t, reference(t), reference(t - 1));
    for (int t = 0; t < tables; ++t) {
        auto line = [&image, t](int j) { return image.frequencyValueGHz(t, j); };
        if (const int j = firstRise(n, line); j >= 0)
            return cformat("line table %d rises at point %d (%.2f GHz after %.2f GHz)", t, j, line(j), line(j - 1));
    }

    if (image.baseOffsetWord() > largestOffsetWord)
        return cformat("the base offset word is %d: a base value below -%d dB", image.baseOffsetWord(),
                       largestOffsetWord);
    if (!shortForm) {
        for (int d = 0; d < DataCalibLayout::detectorCount; ++d)
            if (image.detectorOffsetWord(d) > largestOffsetWord)
                return cformat("the offset word of detector %d is %d: responses below -%d dB", d + 1,
                               image.detectorOffsetWord(d), largestOffsetWord);
    }
    return {};
}

std::string calibrationFileStatusText(const std::string& path, const CalibrationFileCheck& check)
{
    if (check.missing) return "No calibration file " + path + ": the levels are not calibrated";
    if (check.problem.empty()) return {};
    if (check.unreadable) return "The calibration file " + path + " can't be read: " + check.problem;
    return "The calibration file " + path + " is damaged: " + check.problem;
}

CalibrationFileCheck checkCalibrationFile(const std::string& path, int calibrationKind, const IdentityRecord* unit)
{
    CalibrationFileCheck check;
    const std::unique_ptr<DataCalib> image = DataCalibFactory::create(calibrationKind);
    const CalibrationFileReadResult read = readCalibrationFile(path, *image);
    check.form = read.status;
    const std::uint64_t full = CalibrationFileHeader::size + image->imageSize();
    const std::uint64_t older = full - 2 * shortFormMissingWords;
    const int kind = image->calibrationKind();
    switch (read.status) {
    case CalibrationFileStatus::CannotOpen:
        check.missing = read.openError == ENOENT;
        check.unreadable = !check.missing;
        if (check.unreadable) check.problem = read.openProblem;
        return check;
    case CalibrationFileStatus::NotRegular:
        check.unreadable = true;
        check.problem = read.openProblem;
        return check;
    case CalibrationFileStatus::Truncated:
    case CalibrationFileStatus::WrongSize:
        if (read.status == CalibrationFileStatus::WrongSize &&
            (read.header.calibrationKind == 1 || read.header.calibrationKind == 2) &&
            read.header.calibrationKind != kind) {
            check.problem = cformat("it is a calibration of kind %u, the unit's is of kind %d",
                                    unsigned(read.header.calibrationKind), kind);
            return check;
        }
        check.problem = read.fileBytes == 0
                            ? "the file is empty"
                            : cformat("%llu bytes long, where a calibration file of kind %d has %llu bytes (%llu in "
                                      "the older form)",
                                      static_cast<unsigned long long>(read.fileBytes), kind,
                                      static_cast<unsigned long long>(full), static_cast<unsigned long long>(older));
        return check;
    case CalibrationFileStatus::Complete:
    case CalibrationFileStatus::ShortForm: break;
    }

    const CalibrationFileHeader& header = read.header;
    if (header.calibrationKind != 1 && header.calibrationKind != 2) {
        check.problem = cformat("its header names calibration kind %u, not 1 or 2", unsigned(header.calibrationKind));
        return check;
    }
    if (header.calibrationKind != kind) {
        check.problem = cformat("it is a calibration of kind %u, the unit's is of kind %d",
                                unsigned(header.calibrationKind), kind);
        return check;
    }
    const IdentityRecord& identity = header.identity;
    if (!identity.isValid()) {
        check.problem = "its identity record holds no serial number (\"S/N...\")";
        return check;
    }
    if (identity.laserInputs() < 1 || identity.laserInputs() > 4 || identity.detectors() < 1 ||
        identity.detectors() > 4) {
        check.problem = cformat("its identity record names %u laser inputs and %u detectors (1 to 4 each)",
                                unsigned(identity.laserInputs()), unsigned(identity.detectors()));
        return check;
    }
    if (unit != nullptr && unit->isValid() && identity.serialNumber() != unit->serialNumber()) {
        check.problem = "it belongs to the unit " + identity.serialNumber() + ", not to " + unit->serialNumber();
        return check;
    }
    const auto& stamp = header.stamp.words;
    if (stamp[1] > 11 || stamp[2] < 1 || stamp[2] > 31 || stamp[3] > 23) {
        check.problem = cformat("its stamp {%u, %u, %u, %u} is not a date (month 0-11, day 1-31, hour 0-23)",
                                unsigned(stamp[0]), unsigned(stamp[1]), unsigned(stamp[2]), unsigned(stamp[3]));
        return check;
    }
    check.problem = calibrationTablesProblem(*image, identity.detectors(),
                                             read.status == CalibrationFileStatus::ShortForm);
    return check;
}

bool writeCalibrationFile(const std::string& path, const IdentityRecord& identity, const DataCalib& image,
                          const CalibrationStamp& stamp)
{
    const std::filesystem::path target(path);
    if (target.has_parent_path()) {
        std::error_code ec;
        std::filesystem::create_directories(target.parent_path(), ec);
    }
    std::uint8_t header[CalibrationFileHeader::size] = {};
    std::copy(identity.bytes().begin(), identity.bytes().end(), header);
    for (std::size_t i = 0; i < stamp.words.size(); ++i)
        byteorder::writeU16le(header + CalibrationFileHeader::stampOffset + 2 * i, stamp.words[i]);
    byteorder::writeU16le(header + CalibrationFileHeader::kindOffset, identity.calibrationKind());

    AtomicFileWriter writer(path);
    const bool ok = writer.write(header, sizeof header) && writer.write(image.imageBuffer(), image.imageSize()) &&
                    writer.commit();
    if (!ok) Log::error("Can't write the calibration file %s\n", path.c_str());
    return ok;
}
