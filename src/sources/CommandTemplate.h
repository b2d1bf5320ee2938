#pragma once

// Command templates: printf-style texts that the laser drivers format with
// the operation's values (a power or wavelength as a double, a speed or a
// channel as an int, a wavelength in pm as an unsigned for some models).
//
// Templates can be edited by the user, so a template is checked against the
// values it will receive before it is accepted: each conversion must take the
// value at its position with a matching kind ("%d"/"%u"/"%x"... for the
// integers, "%f"/"%e"/"%g"/"%a"... for the doubles), there may be fewer
// conversions than values but never more, and nothing may read an argument of
// its own ('*' widths, "%n", "%s", positional "%1$d"). Widths and precisions
// are limited to 100. Formatting produces exactly what printf would with the
// "C" number format, whatever the locale.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

enum class TemplateArgument : std::uint8_t { Int, Unsigned, Double };

// What one template receives.
class TemplateSignature {
public:
    // Sent as it stands, without formatting (a '%' goes out as typed).
    static TemplateSignature literal() { return TemplateSignature(true, {}); }
    static TemplateSignature of(std::initializer_list<TemplateArgument> arguments)
    {
        return TemplateSignature(false, arguments);
    }

    bool isLiteral() const { return literal_; }
    std::span<const TemplateArgument> arguments() const { return {arguments_.data(), count_}; }

private:
    TemplateSignature(bool literal, std::initializer_list<TemplateArgument> arguments);

    bool literal_;
    std::array<TemplateArgument, 2> arguments_{};
    std::size_t count_ = 0;
};

using TemplateValue = std::variant<int, unsigned, double>;

// Why the template cannot take these arguments, or nothing when it can.
std::optional<std::string> templateProblem(std::string_view text, std::span<const TemplateArgument> arguments);
std::optional<std::string> templateProblem(std::string_view text, const TemplateSignature& signature);

// The formatted text, or nothing when the template does not fit the values.
std::optional<std::string> formatTemplate(std::string_view text, std::span<const TemplateValue> values);
std::optional<std::string> formatTemplate(std::string_view text, std::initializer_list<TemplateValue> values);
