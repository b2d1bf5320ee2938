// The command language without a network: the table's headers in their
// forms, ";" and the header path, parameters, the error queue, the line
// cutting and the curve's block.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "LineAssembler.h"
#include "RemoteServer.h"
#include "ScanChannels.h"
#include "ScpiError.h"
#include "ScpiFormat.h"
#include "ScpiParser.h"
#include "TraceData.h"

namespace {

// What a line reads as: one "id?" or "id" per unit, "E<code>" for an error
// (the line stops there), parameters after a blank.
std::vector<std::string> readLine(const std::string& line)
{
    std::vector<std::string> out;
    std::vector<std::string_view> units;
    if (!splitUnits(line, units)) return {"E-150"};
    ScpiParser parser;
    for (std::string_view unit : units) {
        if (isBlankUnit(unit)) continue;
        const ScpiParse parsed = parser.parse(unit);
        if (!parsed.command) {
            out.push_back("E" + std::to_string(parsed.error.code));
            break;
        }
        std::string text = headerNodes(parsed.command->definition->header).back().longForm;
        if (parsed.command->query) text += "?";
        for (const ScpiParameter& p : parsed.command->parameters) {
            text += " ";
            text += p.kind == ScpiParameter::Kind::Number ? "n:" : p.kind == ScpiParameter::Kind::String ? "s:" : "k:";
            text += p.text;
        }
        out.push_back(text);
    }
    return out;
}

using Units = std::vector<std::string>;

TEST(CommandLanguage, HeadersSeparatorsAndParameters)
{
    struct Case {
        std::string line;
        Units expected;
    };
    const Case cases[] = {
        // Common commands, any case.
        {"*IDN?", {"*IDN?"}},
        {"*idn?", {"*IDN?"}},
        {"*RST", {"*RST"}},
        {"*OPC?;*WAI", {"*OPC?", "*WAI"}},
        // Short and long forms, optional nodes.
        {"SENSe:WAVelength:STARt 1540", {"START n:1540"}},
        {"sens:wav:star 1540.5", {"START n:1540.5"}},
        {"WAV:STAR?", {"START?"}},
        {"SENSE:WAVELENGTH:STOP?", {"STOP?"}},
        {"SOUR:POW 2.5", {"POWER n:2.5"}},
        {"POW?", {"POWER?"}},
        {"SYST:ERR?", {"NEXT?"}},
        {"SYSTem:ERRor:NEXT?", {"NEXT?"}},
        {"SYST:ERR:COUN?", {"COUNT?"}},
        {"INIT", {"IMMEDIATE"}},
        {"INITiate:IMMediate", {"IMMEDIATE"}},
        {"STAT:OPER?", {"CONDITION?"}},
        {"STAT:OPER:COND?", {"CONDITION?"}},
        {"MEAS:STAT?", {"STATE?"}},
        {"MEASURE:STATUS?", {"STATUS?"}},
        {"TRAC? \"1\"", {"DATA? s:1"}},
        {"TRACe:DATA? 'Ext'", {"DATA? s:Ext"}},
        {"TRAC:DATA? EXT", {"DATA? k:EXT"}},
        {"FORM ASC", {"DATA k:ASC"}},
        {"FORMat:DATA REAL,64", {"DATA k:REAL n:64"}},
        {"CALC:PASS?", {"DATA?"}},
        {"MMEM:STOR:SCAN \"a;b\"", {"SCAN s:a;b"}},
        {"MMEM:STOR:SCAN \"say \"\"hi\"\"\"", {"SCAN s:say \"hi\""}},
        {"DET 1,2 , EXT,orl", {"DETECTOR n:1 n:2 k:EXT k:orl"}},
        {"SWE:COUN INF", {"COUNT k:INF"}},
        {"WAV:STAR +1.54e3", {"START n:+1.54e3"}},
        // The path of the unit before: STOP is the wavelength's stop, then back to the root.
        {"WAV:STAR 1540;STOP 1550", {"START n:1540", "STOP n:1550"}},
        {"SENS:SWE:STEP 5;COUN 3", {"STEP n:5", "COUNT n:3"}},
        {"WAV:STAR 1540;:SWE:STEP 5", {"START n:1540", "STEP n:5"}},
        {"WAV:STAR 1540;INIT", {"START n:1540", "IMMEDIATE"}},
        {"WAV:STAR?;*IDN?;STOP?", {"START?", "*IDN?", "STOP?"}},
        // Blanks, empty units.
        {"  *IDN?  ;; ;*CLS ", {"*IDN?", "*CLS"}},
        {"", {}},
        // Errors: the line stops at the first one.
        {"FOO", {"E-113"}},
        {"*IDN", {"E-113"}},
        {"*RST?", {"E-113"}},
        {"TRAC:CAT", {"E-113"}},
        {"WAV:STARTX 1", {"E-113"}},
        {"WAVE:STAR 1", {"E-113"}},
        {"WAV:STAR", {"E-109"}},
        {"*IDN? 1", {"E-108"}},
        {"WAV:STAR 1,2", {"E-108"}},
        {"WAV:STAR 1540nm", {"E-131"}},
        {"WAV:STAR 1,,2", {"E-109"}},
        {"WAV:STAR 15x0", {"E-131"}},
        {"WAV:STAR 1.2.3", {"E-120"}},
        {"WAV:STAR +-1", {"E-120"}},
        {"WAV:STAR -inf", {"E-120"}},
        {"WAV:STAR 1e999", {"E-120"}},
        {"WAV:STAR #15hello", {"E-104"}},
        {"WAV:STAR=1540", {"E-102"}},
        {"WAV::STAR 1", {"E-102"}},
        {"WAV:STAR?? ", {"E-102"}},
        {"TRAC? \"1", {"E-150"}},
        {"TRAC? \"1\"x", {"E-150"}},
        {"*IDN?;FOO;*IDN?", {"*IDN?", "E-113"}},
        {"*CLS;WAV:STAR", {"*CLS", "E-109"}},
    };
    for (const Case& c : cases) EXPECT_EQ(readLine(c.line), c.expected) << c.line;
}

TEST(CommandLanguage, EveryCommandOfTheTableReadsInItsShortAndLongForm)
{
    for (const CommandDefinition& definition : commandTable()) {
        std::string shortHeader, longHeader;
        for (const HeaderNode& node : headerNodes(definition.header)) {
            if (node.optional) continue;
            shortHeader += (shortHeader.empty() || node.shortForm[0] == '*' ? "" : ":") + node.shortForm;
            longHeader += (longHeader.empty() || node.longForm[0] == '*' ? "" : ":") + node.longForm;
        }
        for (const std::string& header : {shortHeader, longHeader}) {
            const CommandForm& form = definition.query.exists ? definition.query : definition.setting;
            std::string unit = header + (definition.query.exists ? "?" : "");
            for (int k = 0; k < form.minParameters; ++k) unit += (k == 0 ? " " : ",") + std::string("1");
            ScpiParser parser;
            const ScpiParse parsed = parser.parse(unit);
            ASSERT_TRUE(parsed.command) << unit << ": " << parsed.error.text;
            EXPECT_EQ(parsed.command->definition->id, definition.id) << unit;
        }
    }
}

TEST(CommandLanguage, TextLinesOnly)
{
    EXPECT_TRUE(isTextLine("*IDN?\t; WAV:STAR 1540"));
    EXPECT_FALSE(isTextLine(std::string("*IDN?\0", 6)));
    EXPECT_FALSE(isTextLine("*IDN?\x7f"));
    EXPECT_FALSE(isTextLine("MMEM:STOR:SCAN \"caf\xc3\xa9\""));
    EXPECT_FALSE(isTextLine("*IDN?\r"));
}

TEST(CommandLanguage, ErrorQueueKeepsTheFirstErrorsAndMarksTheOverflow)
{
    ErrorQueue queue;
    EXPECT_EQ(queue.pop().code, 0);
    EXPECT_EQ(ScpiFormat::errorEntry(queue.pop().code, queue.pop().text), "0,\"No error\"");
    for (int k = 0; k < 40; ++k) queue.push(ScpiError::make(ScpiCode::undefinedHeader, std::to_string(k)));
    ASSERT_EQ(queue.size(), ErrorQueue::capacity);
    EXPECT_EQ(queue.pop().text, "Undefined header;0");
    for (std::size_t k = 1; k + 1 < ErrorQueue::capacity; ++k) EXPECT_EQ(queue.pop().code, ScpiCode::undefinedHeader);
    EXPECT_EQ(queue.pop().code, ScpiCode::queueOverflow);
    EXPECT_EQ(queue.pop().code, 0);
}

TEST(CommandLanguage, EventStatusBitsOfTheErrorClasses)
{
    ErrorQueue queue;
    queue.push(ScpiError::make(ScpiCode::undefinedHeader));
    EXPECT_EQ(queue.takeEventStatus(), EventStatus::commandError);
    EXPECT_EQ(queue.takeEventStatus(), 0);
    queue.push(ScpiError::make(ScpiCode::dataOutOfRange));
    queue.push({100, "mode hops on the scan"});
    queue.push(ScpiError::make(ScpiCode::queryInterrupted));
    EXPECT_EQ(queue.eventStatus(), EventStatus::executionError | EventStatus::deviceError | EventStatus::queryError);
}

TEST(CommandLanguage, QuotedTextsAndNumbers)
{
    EXPECT_EQ(ScpiFormat::quoted("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(ScpiFormat::number(1540.0), "1540");
    EXPECT_EQ(ScpiFormat::number(1540.5), "1540.5");
    EXPECT_EQ(ScpiFormat::number(0.1), "0.1");
    EXPECT_EQ(ScpiFormat::blockHeader(7040016), "#77040016");
    EXPECT_EQ(ScpiFormat::blockHeader(0), "#10");
}

TEST(CommandLanguage, LinesAreCutAtLineEndsAndOverlongOnesComeOutOnce)
{
    LineAssembler lines;
    lines.append("*IDN?\r\n*C", 9);
    lines.append("LS\n", 3);
    LineAssembler::Line line;
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line.text, "*IDN?");
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line.text, "*CLS");
    EXPECT_FALSE(lines.next(line));

    // The longest line kept, one byte more, then a line as usual.
    const std::string longest(LineAssembler::maxLineBytes, 'a');
    const std::string tooLong(LineAssembler::maxLineBytes + 1, 'b');
    for (const std::string& text : {longest + "\r\n", tooLong + "\n", tooLong + tooLong + "\n", std::string("x\n")})
        for (std::size_t at = 0; at < text.size(); at += 1000)
            lines.append(text.data() + at, std::min<std::size_t>(1000, text.size() - at));
    ASSERT_TRUE(lines.next(line));
    EXPECT_FALSE(line.overlong);
    EXPECT_EQ(line.text.size(), LineAssembler::maxLineBytes);
    for (int k = 0; k < 2; ++k) {
        ASSERT_TRUE(lines.next(line));
        EXPECT_TRUE(line.overlong);
        EXPECT_TRUE(line.text.empty());
    }
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line.text, "x");
    // What a huge line held is let go.
    EXPECT_EQ(lines.heldBytes(), 0u);

    lines.append("*IDN?", 5);
    EXPECT_FALSE(lines.next(line));
    ASSERT_TRUE(lines.finish(line));
    EXPECT_EQ(line.text, "*IDN?");
}

TEST(CommandLanguage, CurveBlockHoldsTheCsvNumbersAsLittleEndianPairs)
{
    ScanSnapshot scan;
    ScanRes& r = scan.result;
    r.resampledWavelength = {1540.0, 1540.005, 1540.01};
    r.resampledValues[ScanChannel::Output] = {-3.0, -3.5, -4.0};
    r.resampledValues[ScanChannel::Detector1] = {-20.0, -21.25, -22.5};
    r.resampledValues[ScanChannel::Ext] = {0.5, 0.25, 0.125};
    r.present[ScanChannel::Output] = r.present[ScanChannel::Detector1] = r.present[ScanChannel::Ext] = true;

    const std::optional<TraceData::Curve> one = TraceData::curve(scan, "1");
    ASSERT_TRUE(one);
    const std::string block = TraceData::binaryBlock(*one);
    ASSERT_EQ(block.substr(0, 4), "#248");
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(block.data() + 4);
    // 1540.0 is 0x4098100000000000; little-endian: the low byte first.
    const unsigned char first[8] = {0, 0, 0, 0, 0, 0x10, 0x98, 0x40};
    EXPECT_EQ(std::memcmp(bytes, first, 8), 0);
    double pairs[6];
    std::memcpy(pairs, bytes, sizeof pairs);
    EXPECT_EQ(pairs[1], -17.0);
    EXPECT_EQ(pairs[3], -17.75);
    EXPECT_EQ(pairs[4], 1540.01);
    EXPECT_EQ(pairs[5], -18.5);
    EXPECT_EQ(TraceData::asciiList(*one), "1540,-17,1540.005,-17.75,1540.01,-18.5");

    // Ext stands alone unless the EXT input is optical.
    EXPECT_EQ(TraceData::asciiList(*TraceData::curve(scan, "Ext")), "1540,0.5,1540.005,0.25,1540.01,0.125");
    scan.extReferenced = true;
    EXPECT_EQ(TraceData::asciiList(*TraceData::curve(scan, "Ext")), "1540,3.5,1540.005,3.75,1540.01,4.125");
    // A detector the scan did not measure has no curve.
    EXPECT_FALSE(TraceData::curve(scan, "2"));
}

TEST(CommandLanguage, ListenAddresses)
{
    EXPECT_EQ(parseListenAddress("127.0.0.1:5025").address, "127.0.0.1");
    EXPECT_EQ(parseListenAddress("0.0.0.0:0").port, 0);
    EXPECT_EQ(parseListenAddress("[::1]:5025").address, "::1");
    for (const char* bad : {"5025", "localhost:5025", "127.0.0.1:", "127.0.0.1:65536", "127.0.0.1:50x", "::1:5025",
                            "300.1.1.1:5025"})
        EXPECT_THROW(parseListenAddress(bad), std::invalid_argument) << bad;
}

}  // namespace
