#include "CalibrationFile.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "AtomicFile.h"
#include "ByteOrder.h"
#include "CalibEncoding.h"
#include "Log.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

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

CalibrationFileReadResult readCalibrationFileHeader(const std::string& path)
{
    CalibrationFileReadResult result;
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return result;
    readHeader(f.get(), result);
    return result;
}

CalibrationFileReadResult readCalibrationFile(const std::string& path, DataCalib& image)
{
    CalibrationFileReadResult result;
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return result;  // the image keeps what it held
    image.clear();
    if (!readHeader(f.get(), result)) {
        Log::warn("Calibration file %s ends inside its header\n", path.c_str());
        return result;
    }
    // Whole words only: a trailing odd byte of a damaged file is not a word.
    const std::size_t got = std::fread(image.imageBuffer(), 1, image.imageSize(), f.get()) & ~std::size_t{1};
    if (got < image.imageSize()) std::fill(image.imageBuffer() + got, image.imageBuffer() + image.imageSize(), 0);
    result.imageBytesRead = got;
    if (got < image.imageSize()) {
        // The older form has neither scale nor offset words.
        result.status = CalibrationFileStatus::ShortForm;
        image.setScaleValue(CalibEncoding::shortFormScale);
        image.setBaseOffsetWord(0);
        for (int d = 0; d < DataCalibLayout::detectorCount; ++d) image.setDetectorOffsetWord(d, 0);
    }
    return result;
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
