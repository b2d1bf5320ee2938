#pragma once

// GNU-style options: "--name", "--name=value" or "--name value", one-letter
// aliases "-x" and "-x value", operands and options in any order, "--" ends
// the options. An optional value is only taken from the "--name=value"
// form, as getopt_long does.

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct OptionDefinition {
    enum class Value { None, Required, Optional };

    std::string name;  // long name without "--"
    char shortName = 0;
    Value value = Value::None;
    std::string valueName;  // "N", "FILE", shown in the help
    std::string help;
};

class ParsedOptions {
public:
    bool has(const std::string& name) const;
    // The value given last; none when the option is absent or had no value.
    std::optional<std::string> value(const std::string& name) const;
    const std::vector<std::string>& operands() const { return operands_; }

    void add(std::string name, std::optional<std::string> value);
    void addOperand(std::string operand) { operands_.push_back(std::move(operand)); }
    // Takes every option of other (operands stay apart).
    void merge(const ParsedOptions& other);

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> options_;
    std::vector<std::string> operands_;
};

// Parses arguments against definitions. With stopAtOperand the first operand and
// everything after it are left as operands unparsed (a command word and its
// own arguments). Throws UsageError with getopt's wording.
ParsedOptions parseOptions(std::span<const std::string> arguments, std::span<const OptionDefinition> definitions,
                           bool stopAtOperand);

// The option lines of a help text, aligned.
std::string describeOptions(std::span<const OptionDefinition> definitions);
