#pragma once

// Chart pictures need Qt. vemar-cli starts it, on the offscreen platform,
// only for the commands that write a picture, and installs the offscreen
// chart renderer for ScanTrace::SavePng / SaveBitmap while the object lives.
// Create it on the main thread; pictures are then saved on that thread.

#include <memory>

class PictureSupport {
public:
    // extOnVoltAxis: the EXT curve is drawn against the volt axis (the EXT
    // input is not read as an optical power). CliError when this build has
    // no Qt.
    explicit PictureSupport(bool extOnVoltAxis);
    ~PictureSupport();
    PictureSupport(const PictureSupport&) = delete;
    PictureSupport& operator=(const PictureSupport&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
