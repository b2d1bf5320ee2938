// The text result file: the analysis parameters, then a comma-separated
// table with the minimum, latest and maximum of every figure.

#include <string_view>

#include "FigureFormat.h"
#include "Grid.h"
#include "NumberFormat.h"
#include "Passband.h"
#include "Units.h"

namespace {

// At most 16 bytes, never cutting a UTF-8 character in two.
std::string_view cut16(std::string_view text)
{
    if (text.size() <= 16) return text;
    std::size_t n = 16;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0u) == 0x80u) --n;
    return text.substr(0, n);
}

void appendField(std::string& out, std::string_view text)
{
    out.append(cut16(text));
    out.push_back(',');
}

std::string figureText(const Passband_Value* record, std::size_t figure)
{
    return record == nullptr ? "--" : formatFigure((*record)[figure], 3);
}

}  // namespace

std::string Passband::writeText() const
{
    std::string out;
    out += cformat("Threshold %.1f dB\n", static_cast<double>(threshold.value()));
    out += "Grid\n";
    const Grid* g = currentGrid();
    const int unit = g != nullptr ? g->unit() : -1;
    if (g != nullptr) {
        if (unit == Unit::GHz)
            out += cformat("start %.3f %s\n", static_cast<double>(g->start()) * 0.001, Unit::name(Unit::THz));
        else
            out += cformat("start %.3f %s\n", static_cast<double>(g->start()), Unit::name(unit));
        out += cformat("spacing %.1f %s\n", static_cast<double>(g->spacing()), Unit::name(unit));
        out += cformat("subdivision %d\n", static_cast<int>(g->subdivision()));
    }
    out += cformat("Bandwidth1 %.1f dB\n", static_cast<double>(bandwidth1.value()));
    out += cformat("Bandwidth2 %.1f dB\n", static_cast<double>(bandwidth2.value()));
    out += cformat("Bandwidth3 %.1f dB\n", static_cast<double>(bandwidth3.value()));
    out += cformat("Passband %.1f %s\n", static_cast<double>(owr.value()), Unit::name(unit));

    out += "channel,Trace";
    for (const char* title : {"Central Wavelength", "Channel Center Accuracy", "Bandwidth 1", "Bandwidth 2",
                              "Bandwidth 3", "Max insertion loss", "Ripple", "Adjacent channel isolation"}) {
        out += ", ,";
        out += title;
        out += ", ";
    }
    out += ", ,Non adjacent channel isolation,\n";
    out += ",";
    for (int k = 0; k < 9; ++k) out += ",min,current,max";
    out += "\n";

    for (const auto& row : results_.rows()) {
        out += cformat("%d,", row.channel);
        appendField(out, *row.name);
        const Passband_Value* records[3] = {row.values->minOf(row.channel), row.values->currentOf(row.channel),
                                            row.values->maxOf(row.channel)};
        for (std::size_t figure = 0; figure < 9; ++figure)
            for (const Passband_Value* record : records) appendField(out, figureText(record, figure));
        out += "\n";
    }
    return out;
}
