#include "ExitCode.h"
#include "PictureSupport.h"

struct PictureSupport::Impl {};

PictureSupport::PictureSupport(bool)
{
    throw CliError(ExitCode::Failure, "this vemar-cli was built without Qt: it cannot draw pictures");
}

PictureSupport::~PictureSupport() = default;
