// Channel grids and the unit conversion: channel look-ups, edges and the
// exception texts, with the values single-precision arithmetic gives.

#include <gtest/gtest.h>

#include <cctype>
#include <limits>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "Passband_Grid.h"
#include "Units.h"

namespace {

struct ChannelCase {
    const char* what;
    GridType grid;
    float value;
    int unit;
    std::optional<int> channel;  // nullopt: out_of_range expected
    const char* error;           // its text
};

const char* ghzError = "GridGhz::getChannel wavelength value out of range";

class GridChannel : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(GridChannel, mapsValueToNearestChannelOrThrows)
{
    const ChannelCase& c = GetParam();
    Passband_Grid grids;
    const Grid* grid = grids.get(c.grid);
    ASSERT_NE(grid, nullptr);
    if (c.channel) {
        EXPECT_EQ(grid->getChannel(c.value, c.unit), *c.channel) << c.what;
    } else {
        try {
            grid->getChannel(c.value, c.unit);
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), c.error) << c.what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridChannel,
    ::testing::Values(
        ChannelCase{"1550.12 nm is channel 26 (193400 GHz)", GridType::Itu100GHz, 1550.12f, Unit::Nm, 26, ""},
        ChannelCase{"193.4 THz is channel 26", GridType::Itu100GHz, 193.4f, Unit::THz, 26, ""},
        ChannelCase{"centre of channel 1", GridType::Itu100GHz, 195900.0f, Unit::GHz, 1, ""},
        ChannelCase{"just inside the outer edge", GridType::Itu100GHz, 195949.0f, Unit::GHz, 1, ""},
        ChannelCase{"outer edge of channel 1 goes to channel 2", GridType::Itu100GHz, 195950.0f, Unit::GHz, 2, ""},
        ChannelCase{"half-way between 25 and 26 goes to 26", GridType::Itu100GHz, 193450.0f, Unit::GHz, 26, ""},
        ChannelCase{"far edge maps past the last channel", GridType::Itu100GHz, 184450.0f, Unit::GHz, 116, ""},
        ChannelCase{"just past the outer edge", GridType::Itu100GHz, 195950.02f, Unit::GHz, std::nullopt, ghzError},
        ChannelCase{"just below the far edge", GridType::Itu100GHz, 184449.98f, Unit::GHz, std::nullopt, ghzError},
        ChannelCase{"1500 nm is off the grid", GridType::Itu100GHz, 1500.0f, Unit::Nm, std::nullopt, ghzError},
        ChannelCase{"last 12.5 GHz channel", GridType::Itu12_5GHz, 184487.5f, Unit::GHz, 917, ""},
        ChannelCase{"CWDM 1551 nm", GridType::Cwdm, 1551.0f, Unit::Nm, 15, ""},
        ChannelCase{"CWDM 1560.9 nm", GridType::Cwdm, 1560.9f, Unit::Nm, 15, ""},
        ChannelCase{"CWDM outer edge goes to channel 2", GridType::Cwdm, 1261.0f, Unit::Nm, 2, ""},
        ChannelCase{"CWDM far edge maps past the last channel", GridType::Cwdm, 1621.0f, Unit::Nm, 19, ""},
        ChannelCase{"CWDM past its last wavelength: empty text", GridType::Cwdm, 1621.01f, Unit::Nm, std::nullopt,
                    ""},
        ChannelCase{"CWDM below its first wavelength", GridType::Cwdm, 1260.99f, Unit::Nm, std::nullopt, ""},
        ChannelCase{"a NaN is off the grid", GridType::Itu100GHz, std::numeric_limits<float>::quiet_NaN(), Unit::Nm,
                    std::nullopt, ghzError},
        ChannelCase{"a NaN is off the CWDM grid", GridType::Cwdm, std::numeric_limits<float>::quiet_NaN(), Unit::Nm,
                    std::nullopt, ""}),
    [](const ::testing::TestParamInfo<ChannelCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p != '\0'; ++p)
            if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
        return name;
    });

// Test names print the case's description, not its bytes.
void PrintTo(const ChannelCase& c, std::ostream* os) { *os << c.what; }

TEST(Grid, centresAndEdgesOfTheFiveGrids)
{
    struct Expect {
        GridType type;
        int unit;
        float start, spacing;
        int subdivision;
        float lastCentre, first, last;
    };
    // Edges: c / (start + spacing / 2) and c / (last centre - spacing / 2),
    // rounded to float; for example c / 195950 GHz = 1529.9436 nm.
    const Expect table[] = {
        {GridType::Itu100GHz, Unit::GHz, 195900.0f, 100.0f, 115, 184500.0f, 1529.943603515625f, 1625.331787109375f},
        {GridType::Itu50GHz, Unit::GHz, 195900.0f, 50.0f, 229, 184500.0f, 1530.138916015625f, 1625.111572265625f},
        {GridType::Itu25GHz, Unit::GHz, 195925.0f, 25.0f, 458, 184500.0f, 1530.041259765625f, 1625.00146484375f},
        {GridType::Itu12_5GHz, Unit::GHz, 195937.5f, 12.5f, 917, 184487.5f, 1529.992431640625f,
         1625.0565185546875f},
        {GridType::Cwdm, Unit::Nm, 1271.0f, 20.0f, 18, 1611.0f, 1261.0f, 1621.0f},
    };
    Passband_Grid grids;
    for (const Expect& e : table) {
        const Grid* g = grids.get(e.type);
        ASSERT_NE(g, nullptr);
        SCOPED_TRACE(static_cast<int>(e.type));
        EXPECT_EQ(g->unit(), e.unit);
        EXPECT_EQ(g->start(), e.start);
        EXPECT_EQ(g->spacing(), e.spacing);
        EXPECT_EQ(g->subdivision(), e.subdivision);
        EXPECT_EQ(g->get(1), e.start);
        EXPECT_EQ(g->get(static_cast<std::uint16_t>(e.subdivision)), e.lastCentre);
        EXPECT_EQ(g->firstWavelength(), e.first);
        EXPECT_EQ(g->lastWavelength(), e.last);
        for (int outside : {0, e.subdivision + 1}) {
            try {
                g->get(static_cast<std::uint16_t>(outside));
                ADD_FAILURE() << "get(" << outside << ") did not throw";
            } catch (const std::out_of_range& ex) {
                EXPECT_STREQ(ex.what(), "Grid::get channel number out of range");
            }
        }
    }
}

TEST(Grid, typeWithoutGridHasNone)
{
    Passband_Grid grids;
    EXPECT_EQ(grids.get(static_cast<GridType>(5)), nullptr);
    EXPECT_EQ(grids.get(static_cast<GridType>(-1)), nullptr);
    EXPECT_EQ(grids.getCurrent(), grids.get(GridType::Itu100GHz));
    grids.gridType.setValue(GridType::Cwdm);
    EXPECT_EQ(grids.getCurrent()->unit(), Unit::Nm);
}

TEST(ConvertUnit, conversionsBetweenTheThreeUnits)
{
    struct Case {
        float value;
        int from, to;
        float expected;  // the float a caller keeps
    };
    const Case table[] = {
        {1550.0f, Unit::Nm, Unit::GHz, 193414.484375f},  // 299792458 / 1550 = 193414.489..
        {1550.0f, Unit::Nm, Unit::THz, 193.41448974609375f},
        {193.1f, Unit::THz, Unit::Nm, 1552.5244140625f},  // 193.1f x 1000 is the float 193100
        {193.4f, Unit::THz, Unit::GHz, 193400.0f},  // 193.399994 x 1000 rounds back to 193400
        {193400.0f, Unit::GHz, Unit::THz, 193.4f},
        {193400.0f, Unit::GHz, Unit::Nm, 1550.1160888671875f},
        {1550.5f, Unit::Nm, Unit::Nm, 1550.5f},
        {-3.0f, Unit::GHz, Unit::GHz, -3.0f},
        // value x 1000 is a float product: 1538.18994140625 x 1000 =
        // 1538189.94140625 rounds to the float 1538190 (its step there is
        // 0.125), and 299792458 / 1538190 = 194.8994974... THz, the float
        // 194.89949036; the extended product would give 194.89950488.
        {1538.18994140625f, Unit::Nm, Unit::THz, 194.89949035644531f},
        {1538.18994140625f, Unit::Nm, Unit::GHz, 194899.5f},
    };
    for (const Case& c : table)
        EXPECT_EQ(static_cast<float>(convertUnit(c.value, c.from, c.to)), c.expected)
            << c.value << " " << c.from << "->" << c.to;
    EXPECT_NEAR(static_cast<double>(convertUnit(1550.0f, Unit::Nm, Unit::GHz)), 193414.48903225806, 1e-9);
    // 299792458 / 1538190 x 1000 = 194899.49746130..., 0.50253869... below
    // the 194900 GHz of channel 11 (the extended product: 0.49511445 below).
    EXPECT_NEAR(static_cast<double>(convertUnit(1538.18994140625f, Unit::Nm, Unit::GHz)), 194899.49746130192, 1e-9);
    EXPECT_NEAR(static_cast<double>(convertUnit(193.4f, Unit::THz, Unit::Nm)), 299792458.0 / 193400.0, 1e-9);
}

TEST(ConvertUnit, unknownUnitsThrowWithTheirTexts)
{
    const auto textOf = [](int from, int to) -> std::string {
        try {
            convertUnit(1.0f, from, to);
        } catch (const std::invalid_argument& e) {
            return e.what();
        }
        return "no exception";
    };
    EXPECT_EQ(textOf(Unit::GHz, 5), "Wanted unit unkown");
    EXPECT_EQ(textOf(Unit::Nm, -1), "Wanted unit unkown");
    EXPECT_EQ(textOf(7, Unit::GHz), "Unit base unkown");
    EXPECT_EQ(textOf(7, 9), "Unit base unkown");
}

}  // namespace
