#include "ScanSideFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>

#include "AtomicFile.h"

namespace {

constexpr bool hostIsLittleEndian = std::endian::native == std::endian::little;

[[maybe_unused]] std::uint64_t swapBytes(std::uint64_t v)
{
    std::uint64_t r = 0;
    for (int i = 0; i < 8; ++i) r |= ((v >> (8 * i)) & 0xFF) << (8 * (7 - i));
    return r;
}

// A big-endian host converts the values through this many at a time.
constexpr std::size_t conversionChunk = 8192;

}  // namespace

bool ScanSideFileWriter::writeBlock(std::span<const double> values)
{
    const auto count = static_cast<std::uint32_t>(values.size());
    const std::array<std::uint8_t, 4> prefix = {
        static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
        static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
    return file_.write(prefix.data(), prefix.size()) && writeValues(values);
}

bool ScanSideFileWriter::writeValues(std::span<const double> values)
{
    if constexpr (hostIsLittleEndian) {
        return file_.write(values.data(), values.size_bytes());
    } else {
        std::array<std::uint64_t, conversionChunk> chunk;
        for (std::size_t done = 0; done < values.size();) {
            const std::size_t n = std::min(conversionChunk, values.size() - done);
            for (std::size_t i = 0; i < n; ++i) chunk[i] = swapBytes(std::bit_cast<std::uint64_t>(values[done + i]));
            if (!file_.write(chunk.data(), n * sizeof(std::uint64_t))) return false;
            done += n;
        }
        return true;
    }
}

ScanSideFileReader::ScanSideFileReader(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) return;
    struct stat info {};
    if (::fstat(::fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) {
        // Only a regular file has a size that tells what it backs.
        std::fclose(file_);
        file_ = nullptr;
        return;
    }
    remaining_ = static_cast<std::uint64_t>(info.st_size);
}

ScanSideFileReader::~ScanSideFileReader()
{
    if (file_ != nullptr) std::fclose(file_);
}

bool ScanSideFileReader::backs(std::uint64_t valueCount) const
{
    return isOpen() && !damaged_ && valueCount <= remaining_ / sizeof(double);
}

bool ScanSideFileReader::fail()
{
    damaged_ = true;
    return false;
}

bool ScanSideFileReader::readBytes(void* data, std::size_t size)
{
    if (size > remaining_ || std::fread(data, 1, size, file_) != size) return fail();
    remaining_ -= size;
    return true;
}

bool ScanSideFileReader::readBlock(std::vector<double>& values)
{
    values.clear();
    if (!isOpen() || damaged_) return false;
    std::array<std::uint8_t, 4> prefix{};
    if (!readBytes(prefix.data(), prefix.size())) return false;
    const auto count = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(prefix[0]) | (static_cast<std::uint32_t>(prefix[1]) << 8)
        | (static_cast<std::uint32_t>(prefix[2]) << 16) | (static_cast<std::uint32_t>(prefix[3]) << 24));
    if (count < 0 || !backs(static_cast<std::uint64_t>(count))) return fail();
    values.resize(static_cast<std::size_t>(count));
    if (!readValues(values)) {
        values.clear();
        return false;
    }
    return true;
}

bool ScanSideFileReader::readValues(std::span<double> values)
{
    if (!isOpen() || damaged_) return false;
    if (!backs(values.size())) return fail();
    if (!readBytes(values.data(), values.size_bytes())) return false;
    if constexpr (!hostIsLittleEndian) {
        for (double& v : values) v = std::bit_cast<double>(swapBytes(std::bit_cast<std::uint64_t>(v)));
    }
    return true;
}
