#pragma once

// Reading one line of commands: the units between ";" (outside quotes), the
// header of each matched against the command table in its short or long
// form, case-insensitively, relative to the path of the unit before it on
// the line ("WAV:STAR 1540;STOP 1550" sets the stop too; a leading ":"
// starts again from the root; common commands leave the path alone), and
// its parameters read as numbers, quoted strings or keywords. Pure: no
// state beyond the path of the line being read.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ScpiCommands.h"
#include "ScpiError.h"

struct ScpiParameter {
    enum class Kind { Number, String, Keyword };
    Kind kind = Kind::Keyword;
    std::string text;   // the string without its quotes, the keyword or the number as written
    double number = 0;  // Number only
};

struct ScpiCommand {
    const CommandDefinition* definition = nullptr;
    bool query = false;
    std::vector<ScpiParameter> parameters;

    const CommandForm& form() const { return query ? definition->query : definition->setting; }
};

struct ScpiParse {
    std::optional<ScpiCommand> command;
    ScpiError error;  // when there is no command
};

// Every byte of a line is printable ASCII or a tab.
bool isTextLine(std::string_view line);

// The units of a line; false when a quote is left open.
bool splitUnits(std::string_view line, std::vector<std::string_view>& units);

// A unit is blank: nothing but spaces and tabs.
bool isBlankUnit(std::string_view unit);

class ScpiParser {
public:
    // A new line: the path goes back to the root.
    void resetPath() { path_.clear(); }
    ScpiParse parse(std::string_view unit);

private:
    // The header nodes above the last command's own node, upper case.
    std::vector<std::string> path_;
};

// A parameter as a number; nothing for strings and keywords.
std::optional<double> numberOf(const ScpiParameter& parameter);
