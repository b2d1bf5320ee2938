#include "SynchronisationFiles.h"

#include <algorithm>
#include <charconv>

#include "Log.h"
#include "ScanRes.h"
#include "ScanTextColumns.h"

namespace {

void appendIndex(std::string& line, std::int32_t index)
{
    char buffer[16];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, index);
    line.append(buffer, end);
}

// Samples that have both a wavelength and an acquisition index. A result
// without indexes for all its samples (one loaded from a scan file has none)
// gives the lines it can rather than invented indexes.
std::size_t indexedSamples(const ScanRes& result)
{
    const std::size_t rows = std::min(result.wavelength.size(), result.sampleIndex.size());
    if (rows < result.wavelength.size())
        Log::warn("Sync file: %d of %d samples have an acquisition index\n", static_cast<int>(rows),
                  static_cast<int>(result.wavelength.size()));
    return rows;
}

}  // namespace

int WriteWavelengthSyncFile(const std::string& fileName, const ScanRes& result)
{
    return ScanTextColumns::writeTextFile(fileName, nullptr, indexedSamples(result),
                                          [&](std::string& line, std::size_t row) {
                                              appendIndex(line, result.sampleIndex[row]);
                                              line += '\t';
                                              ScanTextColumns::appendFixed(line, result.wavelength[row], 4);
                                          });
}

int WritePowerSyncFile(const std::string& fileName, const ScanRes& result, bool bncEnable)
{
    const ScanTextColumns::ChannelColumns columns(result.values, result.present, indexedSamples(result), bncEnable);
    return ScanTextColumns::writeTextFile(fileName, nullptr, columns.rows(), [&](std::string& line, std::size_t row) {
        appendIndex(line, result.sampleIndex[row]);
        columns.append(line, '\t', row);
    });
}
