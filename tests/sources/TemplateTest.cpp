#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "CommaLocale.h"
#include "CommandTemplate.h"
#include "NumberFormat.h"

namespace {

using A = TemplateArgument;

struct FormatCase {
    const char* text;
    std::vector<TemplateValue> values;
    const char* expected;
};

TEST(CommandTemplateTest, FormatsLikePrintf)
{
    const std::vector<FormatCase> cases = {
        {"P=%2.3f", {1.5}, "P=1.500"},
        {"L=%4.3f", {1550.12345}, "L=1550.123"},
        {"POW %fmw", {1.5}, "POW 1.500000mw"},
        {"wave %fnm", {1550.0}, "wave 1550.000000nm"},
        {"CH%d:P=%2.2f", {1, 2.5}, "CH1:P=2.50"},
        {"CH%d:Enable", {1}, "CH1:Enable"},
        {":SOUR:WAV %u", {1550123u}, ":SOUR:WAV 1550123"},
        {"MOTOR_SPEED=%d", {19}, "MOTOR_SPEED=19"},
        {"%05d|%-4d|%+d", {-3, 7, 8}, "-0003|7   |+8"},
        {"%x %X %o", {255, 255u, 8}, "ff FF 10"},
        {"%u", {-1}, "4294967295"},
        {"%d", {4294967295u}, "-1"},
        {"%hd", {70000}, "4464"},
        {"%e|%E", {12345.678, 0.00012}, "1.234568e+04|1.200000E-04"},
        {"%g %G %.3g", {0.0001, 1e20, 3.14159}, "0.0001 1E+20 3.14"},
        {"%+08.2f|%-9.1f|% f", {3.14159, -2.25, 1.0}, "+0003.14|-2.2     | 1.000000"},
        {"%#.0f %lf", {2.0, 0.5}, "2. 0.500000"},
        {"%a", {1.0}, "0x1p+0"},
        {"100%% at %.1f%%", {99.94}, "100% at 99.9%"},
        {"Enable", {}, "Enable"},
        {"P=1", {2.5}, "P=1"},
        {"", {}, ""},
    };
    for (const FormatCase& c : cases) {
        const auto text = formatTemplate(c.text, std::span<const TemplateValue>(c.values));
        ASSERT_TRUE(text.has_value()) << c.text;
        EXPECT_EQ(*text, c.expected) << c.text;
    }
}

// Every floating conversion with random flags, widths, precisions and values
// against the C library's own printf of the whole template.
TEST(CommandTemplateTest, MatchesTheCLibraryUnderACommaLocale)
{
    CommaLocale comma;
    std::mt19937 random(1234);
    const char conversions[] = "fFeEgGaA";
    const char* flags[] = {"", "-", "+", " ", "#", "0", "+0", "-#"};
    std::uniform_real_distribution<double> magnitude(-12.0, 12.0);
    for (int i = 0; i < 2000; ++i) {
        std::string directive = std::string("X%") + flags[random() % 8];
        if (random() % 2) directive += std::to_string(random() % 20);
        if (random() % 2) directive += "." + std::to_string(random() % 12);
        directive += conversions[random() % 8];
        directive += "nm";
        const double value = (random() % 2 ? -1.0 : 1.0) * std::pow(10.0, magnitude(random));
        const auto text = formatTemplate(directive, {value});
        ASSERT_TRUE(text.has_value()) << directive;
        EXPECT_EQ(*text, cformat(directive.c_str(), value)) << directive;
        // The reference itself must not carry the comma.
        ASSERT_EQ(text->find(','), std::string::npos) << directive;
    }
}

struct CheckCase {
    const char* text;
    TemplateSignature signature;
    bool accepted;
};

TEST(CommandTemplateTest, RefusesTemplatesThatWouldReadMissingOrWrongArguments)
{
    const auto real = TemplateSignature::of({A::Double});
    const auto integer = TemplateSignature::of({A::Int});
    const auto channelReal = TemplateSignature::of({A::Int, A::Double});
    const auto none = TemplateSignature::of({});
    const std::vector<CheckCase> cases = {
        {"P=%2.3f", real, true},
        {"P=%lf", real, true},
        {"P=1.000", real, true},
        {"P=%%", real, true},
        {"MOTOR_SPEED=%d", integer, true},
        {"SPEED=%04x", integer, true},
        {"CH%d:P=%2.2f", channelReal, true},
        {"CH1:Enable", channelReal, true},
        {"%s", real, false},
        {"%d%d%d", integer, false},
        {"P=%f L=%f", real, false},
        {"P=%d", real, false},
        {"S=%f", integer, false},
        {"P=%2.2f", channelReal, false},
        {"%n", integer, false},
        {"%*d", integer, false},
        {"%.*f", real, false},
        {"%1$f", real, false},
        {"%Lf", real, false},
        {"%ld", integer, false},
        {"%lld", integer, false},
        {"%zd", integer, false},
        {"%c", integer, false},
        {"%p", integer, false},
        {"P=%", real, false},
        {"P=%5%", real, false},
        {"%101f", real, false},
        {"%.101f", real, false},
        {"%100.100f", real, true},
        {":SOUR:WAV:SWE?", none, true},
        {":SOUR:WAV:SWE %d", none, false},
        {"50% on", TemplateSignature::literal(), true},
        {"%s%n", TemplateSignature::literal(), true},
    };
    for (const CheckCase& c : cases)
        EXPECT_EQ(!templateProblem(c.text, c.signature).has_value(), c.accepted) << c.text;
}

TEST(CommandTemplateTest, FormattingRefusesValuesThatDoNotFit)
{
    EXPECT_FALSE(formatTemplate("P=%f", {1}).has_value());
    EXPECT_FALSE(formatTemplate("%d %d", {1}).has_value());
    EXPECT_FALSE(formatTemplate("%s", {1.0}).has_value());
    EXPECT_TRUE(formatTemplate("%d", {1, 2.0}).has_value());
}

}  // namespace
