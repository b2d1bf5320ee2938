#include "Passband_titlemodel.h"

#include "FigureFormat.h"
#include "Passband.h"
#include "Units.h"

Passband_TitleModel::Passband_TitleModel(Passband& passband) : passband_(passband)
{
    passband_.grid.gridType.addObserver(*this);
    passband_.bandwidth1.addObserver(*this);
    passband_.bandwidth2.addObserver(*this);
    passband_.bandwidth3.addObserver(*this);
    update();
}

Passband_TitleModel::~Passband_TitleModel()
{
    passband_.grid.gridType.removeObserver(*this);
    passband_.bandwidth1.removeObserver(*this);
    passband_.bandwidth2.removeObserver(*this);
    passband_.bandwidth3.removeObserver(*this);
}

void Passband_TitleModel::update()
{
    const Grid* grid = passband_.currentGrid();
    const bool nm = grid != nullptr && grid->unit() == Unit::Nm;
    const std::string u = nm ? "(nm)" : "(GHz)";
    const auto bandwidthTitle = [&u](float level) {
        return formatFixed(level, 1) + "dB Bandwidth " + u;
    };
    titles_ = {TitleCell("Channel (Trace)"),
               TitleCell(nm ? "Central wavelength (nm)" : "Central frequency (THz)"),
               TitleCell("Channel center accuracy " + u),
               TitleCell(bandwidthTitle(passband_.bandwidth1.value())),
               TitleCell(bandwidthTitle(passband_.bandwidth2.value())),
               TitleCell(bandwidthTitle(passband_.bandwidth3.value())),
               TitleCell("Max insertion loss (dB)"),
               TitleCell("Ripple (dB)"),
               TitleCell("Adjacent channel isolation (dB)"),
               TitleCell("Non adjacent channel isolation (dB)")};
}
