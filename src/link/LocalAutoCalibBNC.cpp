#include "LocalAutoCalibBNC.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "AtomicFile.h"
#include "ByteOrder.h"
#include "Log.h"
#include "NumberFormat.h"
#include "RegularFile.h"

namespace {

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

LocalAutoCalibBNCCheck checkLocalAutoCalibBNC(const std::string& path)
{
    LocalAutoCalibBNCCheck check;
    auto damaged = [&check, &path](std::string problem) {
        Log::warn("%s: %s\n", path.c_str(), problem.c_str());
        check.problem = std::move(problem);
        return check;
    };
    std::string why;
    std::uint64_t fileSize = 0;
    int error = 0;
    FileHandle f = openRegularFile(path, &why, &fileSize, &error);
    if (!f) {
        check.missing = error == ENOENT;
        if (check.missing) return check;
        return damaged("can't be read: " + why);
    }
    std::uint8_t head[20];
    if (std::fread(head, 1, 4, f.get()) != 4)
        return damaged(fileSize == 0 ? "the file is empty" : "the file ends inside its point count");
    const auto count = static_cast<std::int32_t>(byteorder::readU32le(head));
    LocalAutoCalibBNC table;
    if (count <= 2) {
        check.table = table;
        return check;
    }
    // Never allocate what the file does not hold.
    const std::uint64_t needed = 20 + 8ull * static_cast<std::uint64_t>(count);
    if (fileSize < needed || std::fread(head + 4, 1, 16, f.get()) != 16)
        return damaged(cformat("%llu bytes long, where its %d points need %llu",
                               static_cast<unsigned long long>(fileSize), count,
                               static_cast<unsigned long long>(needed)));
    table.start = readDoubleLe(head + 4);
    table.step = readDoubleLe(head + 12);
    if (!std::isfinite(table.start) || !std::isfinite(table.step))
        return damaged(cformat("its first wavelength (%g) or its step (%g) is not a number", table.start, table.step));
    if (table.step == 0.0) return damaged("its wavelength step is zero");
    std::vector<std::uint8_t> raw(8 * static_cast<std::size_t>(count));
    if (std::fread(raw.data(), 1, raw.size(), f.get()) != raw.size()) return damaged("it changed while it was read");
    table.values.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < table.values.size(); ++i) {
        table.values[i] = readDoubleLe(raw.data() + 8 * i);
        if (!std::isfinite(table.values[i]))
            return damaged(cformat("its value %zu (at %.3f nm) is %g, not a number", i, table.start + table.step * i,
                                   table.values[i]));
    }
    check.table = std::move(table);
    return check;
}

std::string localAutoCalibBNCStatusText(const std::string& path, const LocalAutoCalibBNCCheck& check)
{
    if (check.missing || check.problem.empty()) return {};
    return "The EXT correction file " + path + " is damaged: " + check.problem;
}

std::optional<LocalAutoCalibBNC> readLocalAutoCalibBNC(const std::string& path)
{
    return checkLocalAutoCalibBNC(path).table;
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
