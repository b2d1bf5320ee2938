#include "ThreadInitLaser.h"

#include "Sourceconfig.h"

ThreadInitLaser::ThreadInitLaser(SourceConfig* source, int index, int commonSpeed)
    : source_(source), index_(index), commonSpeed_(commonSpeed)
{
}

ThreadInitLaser::~ThreadInitLaser() { wait(); }

void ThreadInitLaser::Execute()
{
    int result = SourceConfig::Ok;
    if (source_->enable) {
        if (commonSpeed_ > 0) source_->ApplySpeed(commonSpeed_);
        result = source_->ApplyPower(static_cast<float>(source_->power));
        if (result == SourceConfig::Ok) result = source_->MoveToStart();
    }
    result_ = result;
    done_ = true;
}
