#pragma once

// The "Passband" section of the configuration file: the engine's analysis
// parameters and alarm limits.

#include "ConfigurationFile.h"

class Passband;

class PassbandSection : public ConfigurationSection {
public:
    explicit PassbandSection(Passband& passband) : passband_(passband) {}

    // Replaces the section's parameter elements by the current values.
    void writeSection(TiXmlElement& element) const override;
    // Without a section (or without its "Configuration" element) nothing changes.
    void readSection(const TiXmlElement* element) override;

private:
    Passband& passband_;
};
