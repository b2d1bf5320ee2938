#include "TraceData.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "ScanChannels.h"
#include "ScpiFormat.h"

namespace TraceData {

namespace {

void storeLittleEndian(char* out, double value)
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &bits, sizeof bits);
    } else {
        for (int k = 0; k < 8; ++k) out[k] = static_cast<char>(bits >> (8 * k));
    }
}

}  // namespace

std::optional<Curve> curve(const ScanSnapshot& scan, std::string_view name)
{
    const ScanRes& result = scan.result;
    const int channel = ScanChannel::fromCurveName(name);
    const auto k = static_cast<std::size_t>(channel);
    const std::vector<double>& output = result.resampledValues[ScanChannel::Output];
    const std::vector<double>& values = result.resampledValues[k];
    if (!result.present[k] || values.empty()) return std::nullopt;
    const bool relative = channel != ScanChannel::Ext || scan.extReferenced;
    Curve c;
    c.wavelength = result.resampledWavelength.data();
    c.values = values.data();
    c.points = std::min(result.resampledWavelength.size(), values.size());
    if (relative) {
        if (output.empty()) return std::nullopt;
        c.output = output.data();
        c.points = std::min(c.points, output.size());
    }
    return c;
}

std::string binaryBlock(const Curve& curve)
{
    const std::size_t bytes = curve.points * 2 * sizeof(double);
    std::string block = ScpiFormat::blockHeader(bytes);
    const std::size_t header = block.size();
    block.resize(header + bytes);
    char* out = block.data() + header;
    for (std::size_t i = 0; i < curve.points; ++i, out += 2 * sizeof(double)) {
        storeLittleEndian(out, curve.wavelength[i]);
        storeLittleEndian(out + sizeof(double), curve.level(i));
    }
    return block;
}

std::string asciiList(const Curve& curve)
{
    std::string text;
    text.reserve(curve.points * 24);
    for (std::size_t i = 0; i < curve.points; ++i) {
        if (i > 0) text += ',';
        ScpiFormat::appendNumber(text, curve.wavelength[i]);
        text += ',';
        ScpiFormat::appendNumber(text, curve.level(i));
    }
    return text;
}

}  // namespace TraceData
