#include "CommandTemplate.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "NumberFormat.h"

TemplateSignature::TemplateSignature(bool literal, std::initializer_list<TemplateArgument> arguments)
    : literal_(literal)
{
    for (TemplateArgument argument : arguments)
        if (count_ < arguments_.size()) arguments_[count_++] = argument;
}

namespace {

constexpr int largestWidth = 100;

// One piece of a parsed template: literal text, or one conversion with its
// whole directive (from '%' to the conversion character).
struct Piece {
    std::string_view text;
    bool conversion = false;
    bool integer = false;  // an integer conversion, else a floating one
    bool signedConversion = false;
};

struct Parsed {
    std::vector<Piece> pieces;
    std::optional<std::string> problem;
};

// Reads the digits of a width or precision; false when the number exceeds the limit.
bool readNumber(std::string_view text, std::size_t& i)
{
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > largestWidth) return false;
        ++i;
    }
    return true;
}

Parsed parse(std::string_view text)
{
    Parsed out;
    auto fail = [&out](std::string why) {
        out.problem = std::move(why);
        return out;
    };
    std::size_t literalBegin = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            ++i;
            continue;
        }
        if (i > literalBegin) out.pieces.push_back({text.substr(literalBegin, i - literalBegin)});
        const std::size_t begin = i++;
        if (i < text.size() && text[i] == '%') {
            out.pieces.push_back({text.substr(begin + 1, 1)});
            literalBegin = ++i;
            continue;
        }
        while (i < text.size() && std::strchr("-+ #0", text[i]) != nullptr && text[i] != '\0') ++i;
        if (i < text.size() && text[i] == '*') return fail("a '*' width reads an argument of its own");
        if (!readNumber(text, i)) return fail("width above 100");
        if (i < text.size() && text[i] == '$') return fail("positional arguments are not accepted");
        if (i < text.size() && text[i] == '.') {
            ++i;
            if (i < text.size() && text[i] == '*') return fail("a '*' precision reads an argument of its own");
            if (!readNumber(text, i)) return fail("precision above 100");
        }
        std::string_view length;
        const std::size_t lengthBegin = i;
        while (i < text.size() && std::strchr("hlLqjzt", text[i]) != nullptr && text[i] != '\0') ++i;
        length = text.substr(lengthBegin, i - lengthBegin);
        if (i >= text.size()) return fail("the template ends inside a conversion");
        const char conversion = text[i++];
        Piece piece{text.substr(begin, i - begin), true};
        if (std::strchr("diouxX", conversion) != nullptr) {
            if (!length.empty() && length != "h" && length != "hh")
                return fail("conversion \"" + std::string(piece.text) + "\" reads a wider integer");
            piece.integer = true;
            piece.signedConversion = conversion == 'd' || conversion == 'i';
        } else if (std::strchr("fFeEgGaA", conversion) != nullptr) {
            if (!length.empty() && length != "l")
                return fail("conversion \"" + std::string(piece.text) + "\" reads a long double");
        } else {
            return fail("conversion \"" + std::string(piece.text) + "\" is not a number conversion");
        }
        out.pieces.push_back(piece);
        literalBegin = i;
    }
    if (literalBegin < text.size()) out.pieces.push_back({text.substr(literalBegin)});
    return out;
}

std::optional<std::string> checkPieces(const Parsed& parsed, std::span<const TemplateArgument> arguments)
{
    if (parsed.problem) return parsed.problem;
    std::size_t next = 0;
    for (const Piece& piece : parsed.pieces) {
        if (!piece.conversion) continue;
        if (next >= arguments.size())
            return "conversion \"" + std::string(piece.text) + "\" has no value (the command receives " +
                   std::to_string(arguments.size()) + ")";
        const bool integerArgument = arguments[next] != TemplateArgument::Double;
        if (integerArgument != piece.integer)
            return "conversion \"" + std::string(piece.text) + "\" does not fit value " + std::to_string(next + 1) +
                   (integerArgument ? " (an integer)" : " (a number with decimals)");
        ++next;
    }
    return std::nullopt;
}

TemplateArgument kindOf(const TemplateValue& value)
{
    if (std::holds_alternative<int>(value)) return TemplateArgument::Int;
    if (std::holds_alternative<unsigned>(value)) return TemplateArgument::Unsigned;
    return TemplateArgument::Double;
}

}  // namespace

std::optional<std::string> templateProblem(std::string_view text, std::span<const TemplateArgument> arguments)
{
    return checkPieces(parse(text), arguments);
}

std::optional<std::string> templateProblem(std::string_view text, const TemplateSignature& signature)
{
    if (signature.isLiteral()) return std::nullopt;
    return templateProblem(text, signature.arguments());
}

std::optional<std::string> formatTemplate(std::string_view text, std::span<const TemplateValue> values)
{
    std::vector<TemplateArgument> kinds;
    kinds.reserve(values.size());
    for (const TemplateValue& value : values) kinds.push_back(kindOf(value));
    const Parsed parsed = parse(text);
    if (checkPieces(parsed, kinds)) return std::nullopt;

    std::string out;
    std::size_t next = 0;
    for (const Piece& piece : parsed.pieces) {
        if (!piece.conversion) {
            out += piece.text;
            continue;
        }
        // Each conversion goes through printf on its own, with a value of
        // exactly the type its conversion reads (an int is passed to "%u" as
        // the unsigned with the same bits, just as printf would take it).
        const std::string directive(piece.text);
        const TemplateValue& value = values[next++];
        if (piece.integer) {
            const unsigned bits = std::holds_alternative<int>(value) ? static_cast<unsigned>(std::get<int>(value))
                                                                      : std::get<unsigned>(value);
            out += piece.signedConversion ? cformat(directive.c_str(), static_cast<int>(bits))
                                          : cformat(directive.c_str(), bits);
        } else {
            out += cformat(directive.c_str(), std::get<double>(value));
        }
    }
    return out;
}

std::optional<std::string> formatTemplate(std::string_view text, std::initializer_list<TemplateValue> values)
{
    return formatTemplate(text, std::span<const TemplateValue>(values.begin(), values.size()));
}
