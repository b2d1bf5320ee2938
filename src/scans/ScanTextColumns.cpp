#include "ScanTextColumns.h"

#include <algorithm>
#include <charconv>

#include "Log.h"

namespace ScanTextColumns {

void appendFixed(std::string& text, double value, int decimals)
{
    // The fixed form of a double has at most 309 integer digits.
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    const std::size_t length = ec == std::errc() ? static_cast<std::size_t>(end - buffer) : 0;
    // The field width 4 only ever pads the texts of infinities and NaNs.
    if (length < 4) text.append(4 - length, ' ');
    text.append(buffer, length);
}

ChannelColumns::ChannelColumns(const ScanRes::ChannelArrays& values,
                               const std::array<bool, ScanChannel::Count>& present, std::size_t rowArraySize,
                               bool extReferenced)
    : values_(values), extReferenced_(extReferenced)
{
    rows_ = std::min(rowArraySize, values[ScanChannel::Output].size());
    for (int channel = ScanChannel::Detector1; channel < ScanChannel::Count; ++channel) {
        const auto k = static_cast<std::size_t>(channel);
        if (!present[k]) continue;
        shown_[k] = values[k].size() >= rows_;
        if (!shown_[k]) Log::warn("Channel %d has %d values for %d rows: left out\n", channel,
                                   static_cast<int>(values[k].size()), static_cast<int>(rows_));
    }
}

void ChannelColumns::append(std::string& line, char separator, std::size_t row) const
{
    const double output = values_[ScanChannel::Output][row];
    line += separator;
    appendFixed(line, output, 2);
    for (int channel = ScanChannel::Detector1; channel <= ScanChannel::Detector4; ++channel) {
        const auto k = static_cast<std::size_t>(channel);
        if (!shown_[k]) continue;
        line += separator;
        appendFixed(line, values_[k][row] - output, 2);
    }
    if (shown_[ScanChannel::Ext]) {
        const double ext = values_[ScanChannel::Ext][row];
        line += separator;
        appendFixed(line, extReferenced_ ? ext - output : ext, 4);
    }
}

}  // namespace ScanTextColumns

namespace ScanTextColumns {

int reportWriteFailure(const std::string& fileName)
{
    Log::warn("Can't write %s\n", fileName.c_str());
    return -1;
}

}  // namespace ScanTextColumns
