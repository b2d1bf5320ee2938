#include "Options.h"

#include <algorithm>

#include "ExitCode.h"

bool ParsedOptions::has(const std::string& name) const
{
    return std::any_of(options_.begin(), options_.end(), [&name](const auto& o) { return o.first == name; });
}

std::optional<std::string> ParsedOptions::value(const std::string& name) const
{
    for (auto it = options_.rbegin(); it != options_.rend(); ++it)
        if (it->first == name) return it->second;
    return std::nullopt;
}

void ParsedOptions::add(std::string name, std::optional<std::string> value)
{
    options_.emplace_back(std::move(name), std::move(value));
}

void ParsedOptions::merge(const ParsedOptions& other)
{
    options_.insert(options_.end(), other.options_.begin(), other.options_.end());
}

namespace {

const OptionDefinition* findLong(std::span<const OptionDefinition> definitions, const std::string& name)
{
    for (const OptionDefinition& s : definitions)
        if (s.name == name) return &s;
    return nullptr;
}

const OptionDefinition* findShort(std::span<const OptionDefinition> definitions, char letter)
{
    for (const OptionDefinition& s : definitions)
        if (s.shortName != 0 && s.shortName == letter) return &s;
    return nullptr;
}

}  // namespace

ParsedOptions parseOptions(std::span<const std::string> arguments, std::span<const OptionDefinition> definitions,
                           bool stopAtOperand)
{
    ParsedOptions parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--") {
            for (++i; i < arguments.size(); ++i) parsed.addOperand(arguments[i]);
            break;
        }
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            const std::size_t equals = a.find('=');
            const std::string name = a.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionDefinition* definition = findLong(definitions, name);
            if (definition == nullptr) throw UsageError("unrecognized option '--" + name + "'");
            std::optional<std::string> value;
            if (equals != std::string::npos) {
                if (definition->value == OptionDefinition::Value::None)
                    throw UsageError("option '--" + name + "' doesn't allow an argument");
                value = a.substr(equals + 1);
            } else if (definition->value == OptionDefinition::Value::Required) {
                if (i + 1 >= arguments.size()) throw UsageError("option '--" + name + "' requires an argument");
                value = arguments[++i];
            }
            parsed.add(definition->name, std::move(value));
            continue;
        }
        if (a.size() >= 2 && a[0] == '-' && a[1] != '-') {
            const OptionDefinition* definition = findShort(definitions, a[1]);
            // A negative number is an operand, not an option.
            const bool number = (a[1] >= '0' && a[1] <= '9') || a[1] == '.';
            if (definition == nullptr && number) {
                if (stopAtOperand) {
                    for (; i < arguments.size(); ++i) parsed.addOperand(arguments[i]);
                    break;
                }
                parsed.addOperand(a);
                continue;
            }
            if (definition == nullptr) throw UsageError(std::string("invalid option -- '") + a[1] + "'");
            std::optional<std::string> value;
            if (definition->value == OptionDefinition::Value::None) {
                if (a.size() > 2) throw UsageError(std::string("invalid option -- '") + a[2] + "'");
            } else if (a.size() > 2) {
                value = a.substr(2);
            } else if (definition->value == OptionDefinition::Value::Required) {
                if (i + 1 >= arguments.size())
                    throw UsageError(std::string("option requires an argument -- '") + a[1] + "'");
                value = arguments[++i];
            }
            parsed.add(definition->name, std::move(value));
            continue;
        }
        if (stopAtOperand) {
            for (; i < arguments.size(); ++i) parsed.addOperand(arguments[i]);
            break;
        }
        parsed.addOperand(a);
    }
    return parsed;
}

namespace {

// Words of text in lines of at most width characters (a longer word stands alone).
std::vector<std::string> wrapWords(const std::string& text, std::size_t width)
{
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        at = end;
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

std::string describeOptions(std::span<const OptionDefinition> definitions)
{
    constexpr std::size_t lineWidth = 79;
    std::vector<std::string> heads;
    std::size_t width = 0;
    for (const OptionDefinition& s : definitions) {
        std::string head = s.shortName != 0 ? std::string("  -") + s.shortName + ", " : std::string("      ");
        head += "--" + s.name;
        if (s.value == OptionDefinition::Value::Required) head += " " + s.valueName;
        if (s.value == OptionDefinition::Value::Optional) head += "[=" + s.valueName + "]";
        width = std::max(width, head.size());
        heads.push_back(std::move(head));
    }
    const std::size_t column = width + 2;
    const std::size_t textWidth = lineWidth > column + 20 ? lineWidth - column : 20;
    std::string out;
    for (std::size_t k = 0; k < definitions.size(); ++k) {
        out += heads[k];
        out.append(column - heads[k].size(), ' ');
        bool first = true;
        for (const std::string& line : wrapWords(definitions[k].help, textWidth)) {
            if (!first) out.append(column, ' ');
            out += line + "\n";
            first = false;
        }
    }
    return out;
}
