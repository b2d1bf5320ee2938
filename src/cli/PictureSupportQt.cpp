#include <QApplication>

#include <array>
#include <string>

#include "ChartPictureRenderer.h"
#include "PictureSupport.h"

struct PictureSupport::Impl {
    // QApplication keeps references to argc and argv for its whole life.
    std::string program = "vemar-cli";
    std::string platformSwitch = "-platform";
    std::string platform = "offscreen";
    std::array<char*, 4> argv{program.data(), platformSwitch.data(), platform.data(), nullptr};
    int argc = 3;
    std::unique_ptr<QApplication> application;
};

PictureSupport::PictureSupport(bool extOnVoltAxis) : impl_(std::make_unique<Impl>())
{
    if (QCoreApplication::instance() == nullptr)
        impl_->application = std::make_unique<QApplication>(impl_->argc, impl_->argv.data());
    ChartPictures::install(std::make_shared<ChartPictureRenderer>(1200, 700, extOnVoltAxis));
}

PictureSupport::~PictureSupport() { ChartPictures::install(nullptr); }
