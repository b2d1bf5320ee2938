#include "ThreadInitLaser.h"

ThreadInitLaser::ThreadInitLaser(Job job, int index) : job_(std::move(job)), index_(index) {}

ThreadInitLaser::~ThreadInitLaser() { wait(); }

void ThreadInitLaser::Execute()
{
    result_ = job_ ? job_() : 0;
    done_ = true;
}
