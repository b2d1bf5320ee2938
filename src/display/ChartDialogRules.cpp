#include "ChartDialogRules.h"

std::string scaleDialogError(double xMin, double xMax, double yMin, double yMax)
{
    if (!(xMax > xMin)) return scaleXError;
    if (!(yMax > yMin)) return scaleYError;
    return {};
}

WidthDialogValues widthDialogValues(const CurveLevels& levels) { return {levels.fwhmThreshold, -levels.fwhmPower}; }

CurveLevels acceptWidthDialog(CurveLevels levels, const WidthDialogValues& values)
{
    levels.fwhmThreshold = values.threshold;
    levels.fwhmPower = -values.belowMaximum;
    return levels;
}

std::string slopeDialogError(double top, double bottom)
{
    if (!(bottom < top)) return slopeLevelsError;
    return {};
}

CurveLevels acceptSlopeDialog(CurveLevels levels, double top, double bottom)
{
    levels.slopeTopLevel = top;
    levels.slopeBottomLevel = bottom;
    return levels;
}
