#include "LocalAutoCalibBNC.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "AtomicFile.h"
#include "ByteOrder.h"
#include "Log.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

double readDoubleLe(const std::uint8_t* p)
{
    const std::uint64_t bits = byteorder::readU32le(p) | (static_cast<std::uint64_t>(byteorder::readU32le(p + 4)) << 32);
    return std::bit_cast<double>(bits);
}

void writeDoubleLe(std::uint8_t* p, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    byteorder::writeU32le(p, static_cast<std::uint32_t>(bits));
    byteorder::writeU32le(p + 4, static_cast<std::uint32_t>(bits >> 32));
}

}  // namespace

std::optional<LocalAutoCalibBNC> readLocalAutoCalibBNC(const std::string& path)
{
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(path, ec);
    if (ec) return std::nullopt;
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return std::nullopt;
    std::uint8_t head[20];
    if (std::fread(head, 1, 4, f.get()) != 4) return std::nullopt;
    const auto count = static_cast<std::int32_t>(byteorder::readU32le(head));
    LocalAutoCalibBNC table;
    if (count <= 2) return table;
    // Never allocate what the file does not hold.
    if (fileSize < 20 + 8ull * static_cast<std::uint64_t>(count) || std::fread(head + 4, 1, 16, f.get()) != 16) {
        Log::warn("%s: shorter than its %d points\n", path.c_str(), count);
        return std::nullopt;
    }
    table.start = readDoubleLe(head + 4);
    table.step = readDoubleLe(head + 12);
    if (!std::isfinite(table.start) || !std::isfinite(table.step) || table.step == 0.0) {
        Log::warn("%s: no usable abscissa\n", path.c_str());
        return std::nullopt;
    }
    std::vector<std::uint8_t> raw(8 * static_cast<std::size_t>(count));
    if (std::fread(raw.data(), 1, raw.size(), f.get()) != raw.size()) return std::nullopt;
    table.values.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < table.values.size(); ++i) table.values[i] = readDoubleLe(raw.data() + 8 * i);
    return table;
}

bool writeLocalAutoCalibBNC(const std::string& path, const LocalAutoCalibBNC& table)
{
    std::vector<std::uint8_t> bytes(20 + 8 * table.values.size());
    byteorder::writeU32le(bytes.data(), static_cast<std::uint32_t>(table.values.size()));
    writeDoubleLe(bytes.data() + 4, table.start);
    writeDoubleLe(bytes.data() + 12, table.step);
    for (std::size_t i = 0; i < table.values.size(); ++i) writeDoubleLe(bytes.data() + 20 + 8 * i, table.values[i]);
    AtomicFileWriter writer(path);
    return writer.write(bytes.data(), bytes.size()) && writer.commit();
}
