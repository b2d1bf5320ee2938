#include "DataCalibFactory.h"

#include "DataCalib1.h"
#include "DataCalib2.h"

std::unique_ptr<DataCalib> DataCalibFactory::create(int calibrationKind)
{
    if (calibrationKind == 1) return std::make_unique<DataCalib1>();
    return std::make_unique<DataCalib2>();
}
