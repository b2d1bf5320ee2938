#include "IdentityRecord.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"

IdentityRecord IdentityRecord::fromBytes(std::span<const std::uint8_t> bytes)
{
    IdentityRecord record;
    std::copy_n(bytes.begin(), std::min(bytes.size(), size), record.bytes_.begin());
    return record;
}

bool IdentityRecord::isValid() const
{
    return std::memcmp(bytes_.data(), serialPrefix.data(), serialPrefix.size()) == 0;
}

std::string IdentityRecord::serialText() const
{
    const auto* text = reinterpret_cast<const char*>(bytes_.data());
    return std::string(text, ::strnlen(text, serialTextSize));
}

std::string IdentityRecord::serialNumber() const
{
    const std::string text = serialText();
    return text.size() > serialPrefix.size() ? text.substr(serialPrefix.size()) : std::string();
}

void IdentityRecord::setSerialText(std::string_view text)
{
    std::fill_n(bytes_.begin(), serialTextSize, 0);
    std::copy_n(text.begin(), std::min(text.size(), serialTextSize - 1), bytes_.begin());
}

std::uint16_t IdentityRecord::unusedWord(std::size_t index) const
{
    return index < unusedWordCount ? word(unusedWordsOffset + 2 * index) : 0;
}

void IdentityRecord::setUnusedWord(std::size_t index, std::uint16_t value)
{
    if (index < unusedWordCount) setWord(unusedWordsOffset + 2 * index, value);
}

std::array<std::uint16_t, IdentityRecord::bandWordCount> IdentityRecord::bandWords() const
{
    std::array<std::uint16_t, bandWordCount> words{};
    for (std::size_t i = 0; i < bandWordCount; ++i) words[i] = word(fibreBandOffset + 2 * i);
    return words;
}

UnitIdentitySummary IdentityRecord::summary() const
{
    UnitIdentitySummary s;
    s.serialText = serialText();
    s.laserInputs = laserInputs();
    s.detectors = detectors();
    s.fibreBand = fibreBand();
    return s;
}

std::uint16_t IdentityRecord::word(std::size_t offset) const { return byteorder::readU16le(bytes_.data() + offset); }

void IdentityRecord::setWord(std::size_t offset, std::uint16_t value)
{
    byteorder::writeU16le(bytes_.data() + offset, value);
}

std::string calibrationFileName(const IdentityRecord& identity)
{
    // The text after the three prefix bytes, whatever they hold.
    const auto* text = reinterpret_cast<const char*>(identity.bytes().data());
    const std::size_t length = ::strnlen(text, IdentityRecord::serialTextSize);
    std::string serial = length > 3 ? std::string(text + 3, length - 3) : std::string();
    std::replace(serial.begin(), serial.end(), '/', '_');
    std::replace(serial.begin(), serial.end(), '\\', '_');
    return "File" + serial + ".dat";
}
