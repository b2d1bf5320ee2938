#include "PowerControl.h"

#include "ControlSnS.h"
#include "Log.h"
#include "NumberFormat.h"
#include "TabCalib.h"

namespace PowerControl {

Values convert(const Levels& levels, TabCalib& calib)
{
    Values v;
    v.outputDbm = calib.OutputLevel(levels[0]);
    for (int d = 0; d < 4; ++d) {
        int cursor = 0;
        v.detectorsDbm[static_cast<std::size_t>(d)] = calib.DetectorLevel(d, levels[static_cast<std::size_t>(d) + 2], cursor);
    }
    int cursor = 0;
    v.extVolts = calib.ExtVolts(levels[7], cursor);
    return v;
}

std::string labelText(double value) { return cformat("%+2.2f", value); }

Reading reading(const Levels& levels, const Values& values)
{
    Reading r;
    const auto saturated = [&levels](std::size_t level) { return levels[level] > saturatedLevel; };
    Bar& output = r.bars[0];
    output.x = 1.0;
    output.value = values.outputDbm;
    output.colour = saturated(0) || values.outputDbm < lowestOutputDbm ? Colour::Red : Colour::Green;
    for (std::size_t d = 0; d < 4; ++d) {
        Bar& bar = r.bars[d + 1];
        bar.x = static_cast<double>(d + 2);
        bar.value = values.detectorsDbm[d];
        bar.colour = saturated(d + 2) ? Colour::Red : Colour::Green;
    }
    Bar& ext = r.bars[5];
    ext.x = 6.0;
    ext.value = values.extVolts;
    ext.voltageAxis = true;
    ext.colour = saturated(7) ? Colour::Red : Colour::Blue;
    for (Bar& bar : r.bars) bar.label = labelText(bar.value);
    return r;
}

LabelPlacement placeLabels(const PlotArea& plot, int labelHeight)
{
    LabelPlacement p;
    p.top = plot.top + plot.height - plot.height / 30 - labelHeight;
    const int a = plot.width / 7;
    for (int i = 0; i < 5; ++i) p.centreX[static_cast<std::size_t>(i)] = plot.left + (i + 1) * a;
    p.centreX[5] = plot.left + plot.width - a;
    return p;
}

Run::Run(const std::string& calibFolder, const IdentityRecord& identity, int input)
    : unit_(std::make_unique<ControlSnS>()), calib_(std::make_unique<TabCalib>(calibFolder, identity)), input_(input)
{
    // The window's record stays as it is: the file's own copy of the
    // identity is of no use to the bars.
    IdentityRecord fileIdentity = identity;
    if (calib_->Load(fileIdentity) != 0)
        Log::warn("Power control: no calibration tables (%s): the levels are not calibrated\n",
                  calib_->loadProblem().c_str());
    unit_->SelectPowerInput(input_);
}

Run::~Run() = default;

Reading Run::tick(int input)
{
    if (input != input_) {
        input_ = input;
        unit_->SelectPowerInput(input_);
    }
    // The bars show whatever the controller gives back, as they do when the
    // link fails: the page reports no link errors of its own.
    unit_->ReadLevels(levels_, readingsPerTick);
    return reading(levels_, convert(levels_, *calib_));
}

}  // namespace PowerControl
