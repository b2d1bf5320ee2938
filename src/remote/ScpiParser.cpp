#include "ScpiParser.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <span>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool isHeaderChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '*' || c == '?';
}

// The compiled headers of the table, built once.
struct CompiledCommand {
    const CommandDefinition* definition;
    std::vector<HeaderNode> nodes;
    bool common;
};

const std::vector<CompiledCommand>& compiledTable()
{
    static const std::vector<CompiledCommand> compiled = [] {
        std::vector<CompiledCommand> list;
        for (const CommandDefinition& definition : commandTable())
            list.push_back({&definition, headerNodes(definition.header), definition.header[0] == '*'});
        return list;
    }();
    return compiled;
}

bool nodeMatches(const HeaderNode& node, const std::string& word)
{
    return word == node.shortForm || word == node.longForm;
}

// The input words match the pattern nodes, optional nodes left out or not.
bool matches(std::span<const HeaderNode> nodes, std::span<const std::string> words)
{
    if (nodes.empty()) return words.empty();
    if (nodes.front().optional && matches(nodes.subspan(1), words)) return true;
    return !words.empty() && nodeMatches(nodes.front(), words.front()) && matches(nodes.subspan(1), words.subspan(1));
}

const CompiledCommand* find(const std::vector<std::string>& words, bool common)
{
    for (const CompiledCommand& c : compiledTable())
        if (c.common == common && matches(c.nodes, words)) return &c;
    return nullptr;
}

bool splitParameters(std::string_view text, std::vector<std::string_view>& items)
{
    text = trim(text);
    if (text.empty()) return true;
    std::size_t begin = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ',') {
            items.push_back(trim(text.substr(begin, i - begin)));
            begin = i + 1;
        }
    }
    if (quote != 0) return false;
    items.push_back(trim(text.substr(begin)));
    return true;
}

std::optional<ScpiError> readParameter(std::string_view item, ScpiParameter& parameter)
{
    if (item.empty()) return ScpiError::make(ScpiCode::missingParameter, "empty parameter");
    const char first = item.front();
    if (first == '"' || first == '\'') {
        // Quoted, a doubled quote standing for one.
        std::string text;
        std::size_t i = 1;
        for (; i < item.size(); ++i) {
            if (item[i] == first) {
                if (i + 1 < item.size() && item[i + 1] == first) {
                    text += first;
                    ++i;
                    continue;
                }
                break;
            }
            text += item[i];
        }
        if (i + 1 != item.size()) return ScpiError::make(ScpiCode::stringDataError, "text after the closing quote");
        parameter.kind = ScpiParameter::Kind::String;
        parameter.text = std::move(text);
        return std::nullopt;
    }
    if (std::isdigit(static_cast<unsigned char>(first)) || first == '+' || first == '-' || first == '.') {
        std::string_view digits = item;
        if (first == '+') {
            digits.remove_prefix(1);
            if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
                return ScpiError::make(ScpiCode::numericDataError);
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || !std::isfinite(value)) return ScpiError::make(ScpiCode::numericDataError);
        // from_chars takes "inf" and "nan"; a number here is decimal digits only.
        for (const char* p = digits.data(); p != end; ++p)
            if (std::isalpha(static_cast<unsigned char>(*p)) && *p != 'e' && *p != 'E')
                return ScpiError::make(ScpiCode::numericDataError);
        if (end != digits.data() + digits.size()) {
            if (std::isalpha(static_cast<unsigned char>(*end)))
                return ScpiError::make(ScpiCode::invalidSuffix, "plain numbers only");
            return ScpiError::make(ScpiCode::numericDataError);
        }
        parameter.kind = ScpiParameter::Kind::Number;
        parameter.text = std::string(item);
        parameter.number = value;
        return std::nullopt;
    }
    if (std::isalpha(static_cast<unsigned char>(first))) {
        for (char c : item)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return ScpiError::make(ScpiCode::dataTypeError);
        parameter.kind = ScpiParameter::Kind::Keyword;
        parameter.text = std::string(item);
        return std::nullopt;
    }
    return ScpiError::make(ScpiCode::dataTypeError);
}

}  // namespace

bool isTextLine(std::string_view line)
{
    for (char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 || u > 0x7E) && c != '\t') return false;
    }
    return true;
}

bool isBlankUnit(std::string_view unit) { return trim(unit).empty(); }

bool splitUnits(std::string_view line, std::vector<std::string_view>& units)
{
    std::size_t begin = 0;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            units.push_back(line.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    if (quote != 0) return false;
    units.push_back(line.substr(begin));
    return true;
}

ScpiParse ScpiParser::parse(std::string_view unit)
{
    unit = trim(unit);
    std::size_t headerEnd = 0;
    while (headerEnd < unit.size() && isHeaderChar(unit[headerEnd])) ++headerEnd;
    if (headerEnd == 0) return {std::nullopt, ScpiError::make(ScpiCode::syntaxError, "no command header")};
    if (headerEnd < unit.size() && !isSpace(unit[headerEnd]))
        return {std::nullopt, ScpiError::make(ScpiCode::syntaxError, "a blank must follow the header")};
    std::string_view header = unit.substr(0, headerEnd);
    const std::string_view rest = unit.substr(headerEnd);

    bool query = false;
    if (header.back() == '?') {
        query = true;
        header.remove_suffix(1);
    }
    if (header.empty() || header.find('?') != std::string_view::npos)
        return {std::nullopt, ScpiError::make(ScpiCode::syntaxError, "misplaced '?'")};

    const bool common = header.front() == '*';
    const bool fromRoot = header.front() == ':';
    if (fromRoot) header.remove_prefix(1);
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at <= header.size()) {
        const std::size_t end = std::min(header.find(':', at), header.size());
        const std::string_view word = header.substr(at, end - at);
        if (word.empty() || (!common && word.find('*') != std::string_view::npos))
            return {std::nullopt, ScpiError::make(ScpiCode::syntaxError, "malformed header")};
        words.push_back(upper(word));
        at = end + 1;
    }
    if (common && words.size() != 1) return {std::nullopt, ScpiError::make(ScpiCode::syntaxError, "malformed header")};

    const CompiledCommand* found = nullptr;
    std::vector<std::string> used;
    if (!common && !fromRoot && !path_.empty()) {
        used = path_;
        used.insert(used.end(), words.begin(), words.end());
        found = find(used, false);
    }
    if (found == nullptr) {
        used = words;
        found = find(used, common);
    }
    if (found == nullptr) return {std::nullopt, ScpiError::make(ScpiCode::undefinedHeader)};
    const CommandForm& form = query ? found->definition->query : found->definition->setting;
    if (!form.exists)
        return {std::nullopt,
                ScpiError::make(ScpiCode::undefinedHeader, query ? "no query form" : "query only")};
    if (!common) {
        used.pop_back();
        path_ = std::move(used);
    }

    std::vector<std::string_view> items;
    if (!splitParameters(rest, items))
        return {std::nullopt, ScpiError::make(ScpiCode::stringDataError, "quote left open")};
    ScpiCommand command;
    command.definition = found->definition;
    command.query = query;
    for (std::string_view item : items) {
        ScpiParameter parameter;
        if (const auto error = readParameter(item, parameter)) return {std::nullopt, *error};
        command.parameters.push_back(std::move(parameter));
    }
    const int count = static_cast<int>(command.parameters.size());
    if (count < form.minParameters) return {std::nullopt, ScpiError::make(ScpiCode::missingParameter)};
    if (count > form.maxParameters) return {std::nullopt, ScpiError::make(ScpiCode::parameterNotAllowed)};
    return {std::move(command), {}};
}

std::optional<double> numberOf(const ScpiParameter& parameter)
{
    if (parameter.kind != ScpiParameter::Kind::Number) return std::nullopt;
    return parameter.number;
}
