#include "MeasurementListener.h"

#include "Log.h"

void MeasurementListener::resolutionWarning(const std::string& caption, const std::string& text)
{
    Log::info("%s: %s\n", caption.c_str(), text.c_str());
}
