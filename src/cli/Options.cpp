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

const OptionSpec* findLong(std::span<const OptionSpec> specs, const std::string& name)
{
    for (const OptionSpec& s : specs)
        if (s.name == name) return &s;
    return nullptr;
}

const OptionSpec* findShort(std::span<const OptionSpec> specs, char letter)
{
    for (const OptionSpec& s : specs)
        if (s.shortName != 0 && s.shortName == letter) return &s;
    return nullptr;
}

}  // namespace

ParsedOptions parseOptions(std::span<const std::string> arguments, std::span<const OptionSpec> specs,
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
            const OptionSpec* spec = findLong(specs, name);
            if (spec == nullptr) throw UsageError("unrecognized option '--" + name + "'");
            std::optional<std::string> value;
            if (equals != std::string::npos) {
                if (spec->value == OptionSpec::Value::None)
                    throw UsageError("option '--" + name + "' doesn't allow an argument");
                value = a.substr(equals + 1);
            } else if (spec->value == OptionSpec::Value::Required) {
                if (i + 1 >= arguments.size()) throw UsageError("option '--" + name + "' requires an argument");
                value = arguments[++i];
            }
            parsed.add(spec->name, std::move(value));
            continue;
        }
        if (a.size() >= 2 && a[0] == '-' && a[1] != '-') {
            const OptionSpec* spec = findShort(specs, a[1]);
            // A negative number is an operand, not an option.
            const bool number = (a[1] >= '0' && a[1] <= '9') || a[1] == '.';
            if (spec == nullptr && number) {
                if (stopAtOperand) {
                    for (; i < arguments.size(); ++i) parsed.addOperand(arguments[i]);
                    break;
                }
                parsed.addOperand(a);
                continue;
            }
            if (spec == nullptr) throw UsageError(std::string("invalid option -- '") + a[1] + "'");
            std::optional<std::string> value;
            if (spec->value == OptionSpec::Value::None) {
                if (a.size() > 2) throw UsageError(std::string("invalid option -- '") + a[2] + "'");
            } else if (a.size() > 2) {
                value = a.substr(2);
            } else if (spec->value == OptionSpec::Value::Required) {
                if (i + 1 >= arguments.size())
                    throw UsageError(std::string("option requires an argument -- '") + a[1] + "'");
                value = arguments[++i];
            }
            parsed.add(spec->name, std::move(value));
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

std::string describeOptions(std::span<const OptionSpec> specs)
{
    std::vector<std::string> heads;
    std::size_t width = 0;
    for (const OptionSpec& s : specs) {
        std::string head = s.shortName != 0 ? std::string("  -") + s.shortName + ", " : std::string("      ");
        head += "--" + s.name;
        if (s.value == OptionSpec::Value::Required) head += " " + s.valueName;
        if (s.value == OptionSpec::Value::Optional) head += "[=" + s.valueName + "]";
        width = std::max(width, head.size());
        heads.push_back(std::move(head));
    }
    std::string out;
    for (std::size_t k = 0; k < specs.size(); ++k) {
        out += heads[k];
        out.append(width + 2 - heads[k].size(), ' ');
        // Help texts may hold line breaks; continue them under the first line.
        const std::string& help = specs[k].help;
        for (std::size_t start = 0; start <= help.size();) {
            const std::size_t end = help.find('\n', start);
            out += help.substr(start, end == std::string::npos ? std::string::npos : end - start);
            out += '\n';
            if (end == std::string::npos) break;
            out.append(width + 2, ' ');
            start = end + 1;
        }
    }
    return out;
}
