// Feeds the fuzzer's bytes to what reads a client's input: the line
// cutting (in pieces of the sizes the first byte gives), the text check,
// the units, the parser with its path, and the answer texts of what it read.
// Every outcome is a command of the table or an error code of the language.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "LineAssembler.h"
#include "ScpiError.h"
#include "ScpiFormat.h"
#include "ScpiParser.h"

namespace {

void check(bool condition)
{
    if (!condition) std::abort();
}

void readLine(const LineAssembler::Line& line)
{
    if (line.overlong) {
        check(line.text.empty());
        return;
    }
    check(line.text.size() <= LineAssembler::maxLineBytes);
    if (!isTextLine(line.text)) return;
    std::vector<std::string_view> units;
    if (!splitUnits(line.text, units)) return;
    ScpiParser parser;
    for (std::string_view unit : units) {
        if (isBlankUnit(unit)) continue;
        const ScpiParse parsed = parser.parse(unit);
        if (!parsed.command) {
            check(parsed.error.code <= -100 && parsed.error.code > -200);
            check(!parsed.error.text.empty());
            continue;
        }
        const ScpiCommand& command = *parsed.command;
        const CommandForm& form = command.form();
        check(form.exists);
        const int count = static_cast<int>(command.parameters.size());
        check(count >= form.minParameters && count <= form.maxParameters);
        for (const ScpiParameter& p : command.parameters) {
            const std::string quoted = ScpiFormat::quoted(p.text);
            check(quoted.size() >= p.text.size() + 2);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    // Byte 0: the size of the pieces the stream arrives in (1 to 256).
    const std::size_t piece = 1 + data[0];
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    std::size_t left = size - 1;
    LineAssembler lines;
    LineAssembler::Line line;
    while (left > 0) {
        const std::size_t n = left < piece ? left : piece;
        lines.append(bytes, n);
        bytes += n;
        left -= n;
        while (lines.next(line)) readLine(line);
    }
    if (lines.finish(line)) readLine(line);
    check(lines.heldBytes() == 0);
    return 0;
}
