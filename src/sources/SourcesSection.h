#pragma once

// The Sources section of the configuration file frame, read into and written
// from one ConfLaser (the live one unless told otherwise; scan files use the
// trace's copy).

#include "ConfigurationFile.h"

class ConfLaser;

class SourcesSection : public ConfigurationSection {
public:
    SourcesSection();
    explicit SourcesSection(ConfLaser& conf) : conf_(conf) {}

    void writeSection(TiXmlElement& element) const override;
    // A file without the section enables TLS_0, as on a first start.
    void readSection(const TiXmlElement* element) override;

private:
    ConfLaser& conf_;
};
