#include "ScanFilePair.h"

#include <tinyxml.h>

#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "Crc32.h"
#include "NumberFormat.h"
#include "RegularFile.h"

namespace {

template <typename Number>
std::optional<Number> parseWhole(const char* text, int base)
{
    if (text == nullptr || *text == '\0') return std::nullopt;
    const std::string_view view(text);
    Number value{};
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value, base);
    if (error != std::errc() || end != view.data() + view.size()) return std::nullopt;
    return value;
}

// The size and CRC-32 of a regular file, read in pieces.
bool measure(const std::string& path, std::uint64_t& size, std::uint32_t& crc)
{
    FileHandle f = openRegularFile(path, nullptr, &size);
    if (!f) return false;
    std::vector<unsigned char> piece(std::size_t{1} << 20);
    std::uint64_t read = 0;
    crc = 0;
    for (std::size_t n; (n = std::fread(piece.data(), 1, piece.size(), f.get())) != 0;) {
        crc = crc32Update(crc, piece.data(), n);
        read += n;
    }
    // What was read is what counts: a file that changed meanwhile disagrees.
    size = read;
    return std::ferror(f.get()) == 0;
}

}  // namespace

void recordSideFile(TiXmlElement& scan, std::uint64_t size, std::uint32_t crc)
{
    scan.SetAttribute(sideFileSizeAttribute, std::to_string(size));
    scan.SetAttribute(sideFileCheckAttribute, cformat("%08X", static_cast<unsigned>(crc)));
}

std::string sideFilePairProblem(const TiXmlElement& scan, const std::string& sidePath)
{
    const char* sizeText = scan.Attribute(sideFileSizeAttribute);
    const char* crcText = scan.Attribute(sideFileCheckAttribute);
    if (sizeText == nullptr && crcText == nullptr) return {};
    const std::optional<std::uint64_t> recordedSize = parseWhole<std::uint64_t>(sizeText, 10);
    const std::optional<std::uint32_t> recordedCrc = parseWhole<std::uint32_t>(crcText, 16);
    if (!recordedSize || !recordedCrc)
        return cformat("the Scan element's record of its side file (%s \"%s\", %s \"%s\") is damaged",
                       sideFileSizeAttribute, sizeText != nullptr ? sizeText : "", sideFileCheckAttribute,
                       crcText != nullptr ? crcText : "");
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    if (!measure(sidePath, size, crc)) return {};
    if (size == *recordedSize && crc == *recordedCrc) return {};
    return cformat("the scan file and its side file belong to different saves (the side file holds %llu bytes "
                   "with CRC %08X, the scan file was saved with one of %llu bytes with CRC %08X)",
                   static_cast<unsigned long long>(size), static_cast<unsigned>(crc),
                   static_cast<unsigned long long>(*recordedSize), static_cast<unsigned>(*recordedCrc));
}
