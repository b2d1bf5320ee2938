#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExitCode.h"
#include "OptionValues.h"
#include "Options.h"

namespace {

using V = OptionDefinition::Value;
using Args = std::vector<std::string>;

const std::vector<OptionDefinition> definitions = {
    {"json", 0, V::None, "", "json"},
    {"out", 'o', V::Required, "FILE", "out"},
    {"simulate", 0, V::Optional, "PRESET", "sim"},
    {"threshold", 0, V::Required, "DB", "threshold"},
};

// "name=value" for every option in order of appearance, then the operands.
std::string summary(const Args& args, bool stop)
{
    const ParsedOptions p = parseOptions(args, definitions, stop);
    std::string out;
    for (const char* name : {"json", "out", "simulate", "threshold"}) {
        if (!p.has(name)) continue;
        out += std::string(name) + "=" + p.value(name).value_or("(none)") + " ";
    }
    out += "|";
    for (const std::string& o : p.operands()) out += " " + o;
    return out;
}

TEST(Options, GnuForms)
{
    struct Case {
        Args args;
        bool stop;
        std::string expected;
    };
    const Case cases[] = {
        {{"--json", "a", "--out", "f", "b"}, false, "json=(none) out=f | a b"},
        {{"--out=f=g", "-o", "h"}, false, "out=h |"},  // the last value counts
        {{"-ofile"}, false, "out=file |"},
        {{"--simulate"}, false, "simulate=(none) |"},
        {{"--simulate=cwdm", "x"}, false, "simulate=cwdm | x"},
        // An optional value is never taken from the next word.
        {{"--simulate", "cwdm"}, false, "simulate=(none) | cwdm"},
        {{"--threshold", "-30.5", "-12"}, false, "threshold=-30.5 | -12"},
        {{"--", "--json", "-o"}, false, "| --json -o"},
        // Stopping at the first operand leaves the command's words alone.
        {{"--json", "scan", "--out", "f"}, true, "json=(none) | scan --out f"},
        {{"scan", "--bogus"}, true, "| scan --bogus"},
        {{}, false, "|"},
    };
    for (const Case& c : cases) EXPECT_EQ(summary(c.args, c.stop), c.expected) << c.expected;
}

TEST(Options, ErrorsUseGetoptWording)
{
    struct Case {
        Args args;
        std::string message;
    };
    const Case cases[] = {
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"--js"}, "unrecognized option '--js'"},
        {{"--json=1"}, "option '--json' doesn't allow an argument"},
        {{"--out"}, "option '--out' requires an argument"},
        {{"-o"}, "option requires an argument -- 'o'"},
        {{"-x"}, "invalid option -- 'x'"},
    };
    for (const Case& c : cases) {
        try {
            parseOptions(c.args, definitions, false);
            ADD_FAILURE() << c.message;
        } catch (const UsageError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
            EXPECT_EQ(e.code(), ExitCode::Usage);
        }
    }
}

TEST(Options, ValuesAreReadStrictly)
{
    EXPECT_EQ(parseDoubleValue("x", "1550.25"), 1550.25);
    EXPECT_EQ(parseDoubleValue("x", "-3e1"), -30.0);
    EXPECT_EQ(parseIntegerValue("x", "-12"), -12);
    for (const char* bad : {"", "1550,25", "1550nm", " 1", "nan", "inf", "0x10"})
        EXPECT_THROW(parseDoubleValue("x", bad), UsageError) << bad;
    for (const char* bad : {"", "1.5", "12a", "99999999999999999999"})
        EXPECT_THROW(parseIntegerValue("x", bad), UsageError) << bad;
    EXPECT_EQ(splitList("d", "1, 2,ext"), (std::vector<std::string>{"1", "2", "ext"}));
    EXPECT_THROW(splitList("d", "1,,2"), UsageError);
    EXPECT_THROW(splitList("d", ""), UsageError);
}

}  // namespace
