#pragma once

// The program release stored in a file's About element ("v %d.%d.%d").

#include <charconv>
#include <optional>
#include <string_view>

#include <tinyxml.h>

#include "TiXmlElementCustom.h"

struct FileRelease {
    int major = 0;
    int minor = 0;
    int patch = 0;
};

// "v %d.%d.%d": blanks may precede each number, as the C library allows.
inline std::optional<FileRelease> parseReleaseText(std::string_view text)
{
    if (text.empty() || text.front() != 'v') return std::nullopt;
    text.remove_prefix(1);
    FileRelease release;
    for (int* field : {&release.major, &release.minor, &release.patch}) {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n')) text.remove_prefix(1);
        if (!text.empty() && text.front() == '+') text.remove_prefix(1);
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *field);
        if (ec != std::errc()) return std::nullopt;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (field != &release.patch) {
            if (text.empty() || text.front() != '.') return std::nullopt;
            text.remove_prefix(1);
        }
    }
    return release;
}

// Files of releases before 3.6.0 store the sampling step as an exponent. A
// file without a readable release is read as stored, like every file this
// program writes.
inline bool storesStepExponent(const TiXmlElement& root)
{
    const TiXmlElement* release = TiXmlElementCustom::child(TiXmlElementCustom::child(&root, "About"), "Release");
    const char* text = release != nullptr ? release->Attribute("Value") : nullptr;
    const std::optional<FileRelease> parsed = text != nullptr ? parseReleaseText(text) : std::nullopt;
    return parsed && (parsed->major < 3 || (parsed->major == 3 && parsed->minor < 6));
}
