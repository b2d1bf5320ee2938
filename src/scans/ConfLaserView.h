#pragma once

// The application's source configuration (ConfLaser) as the scan store sees
// it: the live configuration is referred to, a trace's copy is owned.

#include <memory>

#include "Sourceconfig.h"
#include "SourceConfigurationView.h"

class ConfLaserView : public SourceConfigurationView {
public:
    // Refers to a configuration that outlives the view (the live one).
    explicit ConfLaserView(const ConfLaser& configuration) : configuration_(&configuration) {}
    // Owns a configuration (a trace's copy).
    explicit ConfLaserView(std::unique_ptr<ConfLaser> owned)
        : owned_(std::move(owned)), configuration_(owned_.get())
    {
    }

    // A view owning a copy of the configuration, taken by ConfLaser's own
    // assignment (drivers of the same types at the same addresses).
    std::unique_ptr<SourceConfigurationView> clone() const override;
    int sourceCount() const override { return ConfLaser::sourceCount; }
    bool sourceEnabled(int index) const override { return source(index).enable; }
    double sourceLambdaMin(int index) const override { return source(index).lambdaMin; }
    double sourceLambdaMax(int index) const override { return source(index).lambdaMax; }
    double scanStart() const override { return configuration_->lambdaMin; }
    double scanStop() const override { return configuration_->lambdaMax; }

    const ConfLaser& configuration() const { return *configuration_; }

private:
    const SourceConfig& source(int index) const { return configuration_->sources.at(static_cast<std::size_t>(index)); }

    std::unique_ptr<ConfLaser> owned_;
    const ConfLaser* configuration_;
};

// The ConfLaser behind a view, or null when the view is not one of these
// (or is null): how the scan files reach a trace's copy of the sources.
const ConfLaser* confLaserOf(const SourceConfigurationView* view);
