#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tinyxml.h>

#include "CommaLocale.h"
#include "NumberFormat.h"
#include "TiXmlElementCustom.h"

namespace {

TEST(TiXmlElementCustomTest, DoublesUseFixedOrExponentFormWithAPointUnderACommaLocale)
{
    CommaLocale comma;
    ASSERT_TRUE(comma.active()) << "no locale with a decimal comma; run scripts/setup-deps.sh";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");

    const std::pair<double, const char*> cases[] = {
        {0.0, "0.000000E+00"},
        {-35.0, "-35.000000"},
        {1.0, "1.000000"},
        {0.0001, "0.000100"},
        {0.00009, "9.000000E-05"},
        {-0.00005, "-5.000000E-05"},
        {1234567.125, "1234567.125000"},
    };
    TiXmlElement e("E");
    TiXmlElementCustom view(&e);
    for (const auto& [value, text] : cases) {
        view.setDouble("V", value);
        EXPECT_STREQ(e.Attribute("V"), text) << value;
        double back = 99.0;
        view.readDouble("V", back, 0.0);
        EXPECT_NEAR(back, value, 1e-6 * std::max(1.0, std::fabs(value))) << text;
    }
    EXPECT_EQ(cformat("%.3f", 2.5), "2.500");
}

TEST(TiXmlElementCustomTest, AttributeReadingRules)
{
    TiXmlElement e("E");
    e.SetAttribute("T", "True");
    e.SetAttribute("t", "true");
    e.SetAttribute("F", "False");
    e.SetAttribute("N", "42");
    e.SetAttribute("Neg", "-7");
    e.SetAttribute("Junk", "abc");
    e.SetAttribute("D", "1.5");
    e.SetAttribute("K", "dBm");
    e.SetAttribute("k", "DBM");
    TiXmlElementCustom v(&e);

    EXPECT_TRUE(v.getBool("T", false));
    EXPECT_FALSE(v.getBool("t", true)) << "only the exact text True reads as true";
    EXPECT_FALSE(v.getBool("F", true));
    EXPECT_TRUE(v.getBool("Missing", true));

    int i = 5;
    v.readInt("N", i, 0);
    EXPECT_EQ(i, 42);
    v.readInt("Neg", i, 0);
    EXPECT_EQ(i, -7);
    v.readInt("Junk", i, 0);
    EXPECT_EQ(i, -7) << "a non-numeric text leaves the field unchanged";
    v.readInt("Missing", i, 10);
    EXPECT_EQ(i, 10) << "a missing attribute gives the default";

    double d = 3.0;
    v.readDouble("Junk", d, 0.0);
    EXPECT_EQ(d, 3.0);
    v.readDouble("D", d, 0.0);
    EXPECT_EQ(d, 1.5);
    v.readDouble("Missing", d, -1.0);
    EXPECT_EQ(d, -1.0);

    constexpr std::array<const char*, 2> units{"mW", "dBm"};
    EXPECT_EQ(v.getKeyword("K", units, 0), 1);
    EXPECT_EQ(v.getKeyword("k", units, 0), 0) << "keywords compare case-sensitively";
    EXPECT_EQ(v.getKeyword("Missing", units, 1), 1);
    v.setKeyword("W", 7, units);
    EXPECT_STREQ(e.Attribute("W"), "") << "a value outside the list writes an empty text";
}

TEST(TiXmlElementCustomTest, DoubleListFormatAndBoundedParsing)
{
    CommaLocale comma;
    ASSERT_TRUE(comma.active());
    const std::vector<double> values{1550.1234, -3.0, 0.0};
    EXPECT_EQ(TiXmlElementCustom::formatDoubleList(values), "3 1550.123 -3.000 0.000 ");
    EXPECT_EQ(TiXmlElementCustom::formatDoubleList({}), "0 ");

    const auto back = TiXmlElementCustom::parseDoubleList("3 1550.123 -3.000 0.000 ");
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], static_cast<double>(1550.123f)) << "values are read in single precision";
    EXPECT_EQ(back[1], -3.0);

    struct Case {
        const char* text;
        std::size_t size;
    };
    const Case damaged[] = {
        {"", 0},
        {"-5 1 2", 0},
        {"x 1 2", 0},
        {"1000000000 1.0 2.0", 2},  // a count the text does not back
        {"3 1.0 oops 3.0", 1},
        {"2 1.0 2.0 3.0", 2},
    };
    for (const Case& c : damaged)
        EXPECT_EQ(TiXmlElementCustom::parseDoubleList(c.text).size(), c.size) << c.text;
}

TEST(TiXmlElementCustomTest, ChildLookups)
{
    TiXmlElement parent("P");
    EXPECT_EQ(TiXmlElementCustom::child(&parent, "A"), nullptr);
    TiXmlElement* a = TiXmlElementCustom::child(&parent, "A", true);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(TiXmlElementCustom::child(&parent, "A", true), a) << "an existing child is not duplicated";

    for (const char* name : {"1", "2", "3"}) {
        auto* tls = parent.LinkEndChild(new TiXmlElement("TLS"))->ToElement();
        tls->SetAttribute("Name", name);
    }
    const TiXmlElement* second = TiXmlElementCustom::childWithAttribute(&parent, "TLS", "Name", "2");
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->Attribute("Name"), "2");
    EXPECT_EQ(TiXmlElementCustom::childWithAttribute(&parent, "TLS", "Name", "9"), nullptr);
    EXPECT_EQ(TiXmlElementCustom::child(static_cast<const TiXmlNode*>(nullptr), "A"), nullptr);
}

TEST(NumberFormatTest, ParsingIsLocaleIndependentAndRejectsNonNumbers)
{
    CommaLocale comma;
    ASSERT_TRUE(comma.active());
    EXPECT_EQ(parseDouble("1.25"), 1.25);
    EXPECT_EQ(parseDouble("  -2.5e3"), -2500.0);
    EXPECT_EQ(parseDouble("+4"), 4.0);
    EXPECT_FALSE(parseDouble("abc").has_value());
    EXPECT_FALSE(parseDouble("").has_value());
    EXPECT_TRUE(std::isinf(*parseDouble("1e999")));
    EXPECT_EQ(parseInt(" 12abc"), 12);
    EXPECT_FALSE(parseInt("99999999999").has_value());
    EXPECT_FALSE(parseInt("-").has_value());
}

}  // namespace
