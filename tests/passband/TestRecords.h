#pragma once

// A result record from its leading figures; the others stay none.

#include <initializer_list>

#include "Passband_Value.h"

inline Passband_Value record(std::initializer_list<float> figures)
{
    Passband_Value v;
    std::size_t k = 0;
    for (float f : figures) v.values[k++] = f;
    return v;
}
