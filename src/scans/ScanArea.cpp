#include "ScanArea.h"

#include "ScanView.h"

ScanArea::~ScanArea()
{
    if (chart_ != nullptr) chart_->coverageRemoved(*this);
}

bool ScanArea::Contains(double x) const
{
    for (const CoverageShape& shape : shapes_) {
        if (shape.x0 <= x && x <= shape.x1) return true;
    }
    return false;
}
