#include "ConfLaserView.h"

std::unique_ptr<SourceConfigurationView> ConfLaserView::clone() const
{
    auto copy = std::make_unique<ConfLaser>();
    *copy = *configuration_;
    return std::make_unique<ConfLaserView>(std::move(copy));
}

const ConfLaser* confLaserOf(const SourceConfigurationView* view)
{
    const auto* conf = dynamic_cast<const ConfLaserView*>(view);
    return conf != nullptr ? &conf->configuration() : nullptr;
}
