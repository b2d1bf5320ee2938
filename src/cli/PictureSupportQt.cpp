#include <QApplication>
#include <QtGlobal>

#include <array>
#include <string>

#include "ChartPictureRenderer.h"
#include "Log.h"
#include "PictureSupport.h"

struct PictureSupport::Impl {
    // QApplication keeps references to argc and argv for its whole life.
    std::string program = "vemar-cli";
    std::string platformSwitch = "-platform";
    std::string platform = "offscreen";
    std::array<char*, 4> argv{program.data(), platformSwitch.data(), platform.data(), nullptr};
    int argc = 3;
    std::unique_ptr<QApplication> application;
    QtMessageHandler previousHandler = nullptr;
};

namespace {

// Qt's own remarks (a missing runtime folder, fonts) are for developers:
// they go to the diagnostic log, not between the tool's status lines.
void toDiagnosticLog(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    const QByteArray text = message.toLocal8Bit();
    if (type == QtCriticalMsg || type == QtFatalMsg)
        Log::error("Qt: %s\n", text.constData());
    else
        Log::debug("Qt: %s\n", text.constData());
}

}  // namespace

PictureSupport::PictureSupport(bool extOnVoltAxis) : impl_(std::make_unique<Impl>())
{
    impl_->previousHandler = qInstallMessageHandler(toDiagnosticLog);
    if (QCoreApplication::instance() == nullptr)
        impl_->application = std::make_unique<QApplication>(impl_->argc, impl_->argv.data());
    ChartPictures::install(std::make_shared<ChartPictureRenderer>(1200, 700, extOnVoltAxis));
}

PictureSupport::~PictureSupport()
{
    ChartPictures::install(nullptr);
    impl_->application.reset();
    qInstallMessageHandler(impl_->previousHandler);
}
